#!/bin/bash
# MIDI and wave files under Wine, through its real media control interface
# (mciSendCommandA): the sequencer's dialogue answered Yes, No, Cancel; a
# text named .mid refused with "erreur mcimidi"; a wave file on the wave
# device with its own dialogue. Where Wine cannot open a device, the
# program's own answer to that is checked instead.
source "$(dirname "$0")/lib.sh"
use_scratch_drive

# Four quarter notes at 120 beats a minute.
{
  printf 'MThd\0\0\0\6\0\0\0\1\1\340MTrk\0\0\0\x28'
  for note in 3c 40 43 48; do printf "\0\x90\x$note\x64\x83\x60\x80\x$note\0"; done
  printf '\0\xff\x2f\0'
} >song.mid
printf 'do re mi\r\n' >text.mid
# Half a second of silence, 8-bit mono at 8000 Hz.
{
  printf 'RIFF\xc4\x0f\0\0WAVEfmt \x10\0\0\0\1\0\1\0\x40\x1f\0\0\x40\x1f\0\0\1\0\x08\0'
  printf 'data\xa0\x0f\0\0'
  head -c 4000 /dev/zero | tr '\0' '\200'
} >tone.wav

# Runs velk0.exe on a virtual clock with the answers $1, and sets $steps to
# the media steps of the trace ("op" or "op:error").
run_media() {
  local answers=$1
  shift
  VELK0_CLOCK=virtual VELK0_ANSWERS=$answers VELK0_TRACE="$work/trace.jsonl" \
    "${runner[@]}" "$exe" "$@" </dev/null >"$work/stdout" 2>"$work/stderr"
  status=$?
  [ "$status" = 0 ] || fail "$*: exit code $status"
  steps=$(trace_lines | grep '"ev":"media"' |
    sed -E 's/.*"op":"([a-z]+)".*/\1/; t; d' | paste -sd' ')
  errors=$(trace_lines | grep -c '"ev":"media".*"error"')
}

run_media ona song.mid
if trace_lines | grep -q '"op":"open","type":"sequencer","path":"song.mid"}'; then
  [ "$steps" = "open status play pause seek play close" ] || fail "song.mid: $steps"
  [ "$errors" = 0 ] || fail "song.mid: a step failed: $(trace_lines | grep error)"
else
  echo "Wine cannot open its sequencer: checking the message instead"
  tr -d '\r' <"$work/stdout" | grep -qx "erreur mcimidi" || fail "song.mid: no message"
fi

run_media a text.mid
[ "$steps" = "open" ] || fail "text.mid: $steps"
[ "$errors" = 1 ] || fail "text.mid: the opening did not fail"
tr -d '\r' <"$work/stdout" | grep -qx "erreur mcimidi" || fail "text.mid: no \"erreur mcimidi\""

run_media ona tone.wav
if [ "$steps" = open ]; then
  echo "Wine cannot open its wave device: nothing is shown"
  trace_lines | grep -q '"ev":"box"' && fail "tone.wav: a box after a failed opening"
else
  # Pausing or resuming a sound that has already ended may fail; the
  # dialogue goes on all the same.
  [ "$steps" = "open play pause resume close" ] || fail "tone.wav: $steps"
  [ "$(trace_lines | grep -c '"text":"oui=pause non=continuer esc=terminer"')" = 3 ] ||
    fail "tone.wav: three boxes expected"
fi
finish
