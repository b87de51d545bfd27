#!/bin/bash
# velk0-ecoute.exe under Wine on a keyboard played from a script
# (VELK0_MIDI_IN; Wine's own MIDI inputs need an ALSA sequencer): the list of
# inputs, a chord and a single key named, the keyboard unplugged and plugged
# in again, q ending the listening; the lines in the ANSI code page when the
# output is a file, and every message heard in the trace. With a MIDI output
# device, what was heard is played through on it; with none (Wine commonly
# has none), the program says so and still names.
source "$(dirname "$0")/lib.sh"
ecoute="$(dirname "$exe")/velk0-ecoute.exe"
use_scratch_drive

printf '%s\n' "input Clavier d'étude" "0 144 60 90" "20 144 64 90" "40 144 67 90" \
  "400 128 60 0" "400 128 64 0" "400 128 67 0" "600 144 69 90" "900 128 69 0" \
  "1000 unplug" "1500 replug" "1600 key q" >"$work/clavier.txt"
VELK0_CLOCK=virtual VELK0_ANSWERS= VELK0_MIDI_IN="$work/clavier.txt" \
  VELK0_TRACE="$work/trace.jsonl" "${runner[@]}" "$ecoute" </dev/null >"$work/stdout" 2>"$work/stderr"
status=$?
[ "$status" = 0 ] || fail "exit code $status, expected 0"
said=$(tr -d '\r' <"$work/stdout" | iconv -f WINDOWS-1252 -t UTF-8)
expected="majeur : o5 c e g
o5 a
clavier débranché : Clavier d'étude ; velk0-ecoute attend qu'il revienne (q ou Échap pour finir)
clavier rebranché : Clavier d'étude
fin de l'écoute"
[ "$(sed -n 1,2p <<<"$said")" = "entrées MIDI, avec leur numéro et leur nom :
0 : Clavier d'étude" ] || fail "the list of inputs: $said"
grep -q "^écoute de l'entrée 0 (Clavier d'étude), .* ; q ou Échap pour finir$" <<<"$said" ||
  fail "no listening line: $said"
[ "$(tail -n +4 <<<"$said")" = "$expected" ] || fail "velk0-ecoute said: $said"
[ "$(grep -c '"ev":"heard"' "$work/trace.jsonl")" = 8 ] || fail "not every message heard"
grep -q '"ev":"input","op":"quit"' "$work/trace.jsonl" || fail "q is not in the trace"
if grep -q '"ev":"open"' "$work/trace.jsonl"; then
  echo "Wine has a MIDI output device: checking the messages played through"
  [ "$(grep -c '"ev":"midi","device":0' "$work/trace.jsonl")" -ge 8 ] || fail "not played through"
else
  grep -q "aucune sortie ne peut jouer" <(iconv -f WINDOWS-1252 -t UTF-8 "$work/stderr") ||
    fail "no word on the missing output: $(cat "$work/stderr")"
fi
finish
