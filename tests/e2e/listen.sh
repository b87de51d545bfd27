#!/usr/bin/env bash
# velk0-ecoute on a keyboard played from a script (VELK0_MIDI_IN), through
# the trace: the list of inputs and a number that names none; the output that
# the device choice file names, or the synthesizer in its place; every
# message but the pitch bend played through on its channel; a keyboard
# unplugged (what it held let go, one line) and plugged in again; the end on
# Escape, on q, at the end of the script, or on SIGTERM, each with the pedal
# lifted and the keys let go; with no terminal and a display, each line also a desktop
# notice.
source "$(dirname "$0")/lib.sh"
ecoute=$(dirname "$velk0")/velk0-ecoute
export VELK0_AUDIO=none VELK0_CLOCK=virtual VELK0_TRACE="$tmp/trace"
keyboard=$tmp/clavier.txt
export VELK0_MIDI_IN=$keyboard

# Runs velk0-ecoute with the arguments; $status, $tmp/out and $tmp/err.
run() {
  status=0
  "$ecoute" "$@" </dev/null >"$tmp/out" 2>"$tmp/err" || status=$?
}
said() { [[ $(cat "$tmp/out") == "$1" ]] || fail "$2: velk0-ecoute said:"$'\n'"$(cat "$tmp/out" "$tmp/err")"; }
# The messages sent to device $1, one "status data data" a line.
sent_to() {
  grep "\"ev\":\"midi\",\"device\":$1," "$tmp/trace" | sed 's/.*"bytes":\[\(.*\)\].*/\1/' | tr ',' ' '
}

# No input at all.
: >"$keyboard"
run
[[ $status -eq 1 ]] || fail "no input: exit code $status"
said "aucune entrée MIDI dans cet environnement : branchez un clavier, puis relancez velk0-ecoute" \
  "no input"

# Two inputs; numbers that name neither.
cat >"$keyboard" <<'SCRIPT'
input Clavier d'étude
input Pédalier
# a chord struck on channel 2, another sound chosen, a line that means nothing
0 145 60 90
0 145 64 90
0 145 67 90
10 193 40
20 225 0 64
30 145 72 300
500 129 60 0
500 129 64 0
500 129 67 0
SCRIPT
for wrong in 2 abc -1 "0 1"; do
  run $wrong
  [[ $status -eq 1 ]] || fail "velk0-ecoute $wrong: exit code $status"
  grep -q "velk0-ecoute : .*\(ne désigne aucune entrée MIDI\|un seul numéro\)" "$tmp/err" ||
    fail "velk0-ecoute $wrong said: $(cat "$tmp/err")"
done
grep -qx "velk0-ecoute : 2 ne désigne aucune entrée MIDI, choisissez un numéro de 0 à 1" \
  <(run 2; cat "$tmp/err") || fail "velk0-ecoute 2 said: $(cat "$tmp/err")"

# Input 1 by its number, the output the file names missing: the synthesizer
# plays; the pitch bend is not played through; the script ends the listening.
mkdir -p "$tmp/korvane"
printf '7\r\n' >"$tmp/korvane/midiinit.dev"
run 1
[[ $status -eq 0 ]] || fail "velk0-ecoute 1: exit code $status: $(cat "$tmp/err")"
said "écoute de l'entrée 1 (Pédalier), jouée sur la sortie 0 (synthétiseur intégré) ; q ou Échap pour finir
majeur : o5 c e g
fin de l'écoute" "velk0-ecoute 1"
grep -qx "velk0-ecoute : la sortie 7 (\\\\korvane\\\\midiinit.dev) ne s'ouvre pas, le synthétiseur intégré joue à sa place" \
  "$tmp/err" || fail "no word on output 7: $(cat "$tmp/err")"
grep -q "VELK0_MIDI_IN, ligne 9 sans effet : 30 145 72 300" "$tmp/err" ||
  fail "the line that means nothing was not told: $(cat "$tmp/err")"
[[ $(sent_to 0) == $'145 60 90\n145 64 90\n145 67 90\n193 40 0\n129 60 0\n129 64 0\n129 67 0' ]] ||
  fail "played through: $(sent_to 0)"

# Unplugged with keys and the pedal down: both let go, one line; plugged in
# again, the next chord named; Escape ends the listening.
rm "$tmp/korvane/midiinit.dev"
cat >"$keyboard" <<'SCRIPT'
input Clavier d'étude
0 176 64 127
0 144 57 90
0 144 60 90
0 144 64 90
200 unplug
900 replug
1000 144 43 90
1000 144 59 90
1000 144 62 90
1000 144 65 90
1300 key escape
2000 144 60 90
SCRIPT
run
[[ $status -eq 0 ]] || fail "unplugged: exit code $status: $(cat "$tmp/err")"
said "entrées MIDI, avec leur numéro et leur nom :
0 : Clavier d'étude
écoute de l'entrée 0 (Clavier d'étude), jouée sur la sortie 0 (synthétiseur intégré) ; q ou Échap pour finir
mineur : o4 a >c e
clavier débranché : Clavier d'étude ; velk0-ecoute attend qu'il revienne (q ou Échap pour finir)
clavier rebranché : Clavier d'étude
7 : o3 g >b >d f
fin de l'écoute" "unplugged"
[[ $(sent_to 0 | tail -n +5 | head -n 4) == $'176 64 0\n128 57 0\n128 60 0\n128 64 0' ]] ||
  fail "not let go when unplugged: $(sent_to 0)"
[[ $(sent_to 0 | tail -n 4) == $'128 43 0\n128 59 0\n128 62 0\n128 65 0' ]] ||
  fail "not let go at Escape: $(sent_to 0)"
grep -q '"t":1300,"ev":"input","op":"quit"' "$tmp/trace" || fail "Escape not traced"
! grep -q '"bytes":\[144,60,90\]' <(grep '"t":2000' "$tmp/trace") || fail "heard after Escape"

# A termination request while the pedal and a key are down, on the real
# clock: both let go on the way out.
printf 'input Clavier\n0 176 64 127\n0 144 60 90\n60000 144 62 90\n' >"$keyboard"
rm -f "$tmp/trace"
VELK0_CLOCK='' timeout 30 "$ecoute" 0 </dev/null >"$tmp/out" 2>"$tmp/err" &
listener=$!
for _ in $(seq 100); do grep -q '"bytes":\[144,60,90\]' "$tmp/trace" 2>/dev/null && break; sleep 0.1; done
kill -TERM "$listener"
status=0
wait "$listener" || status=$?
[[ $status -eq 143 ]] || fail "SIGTERM: exit code $status: $(cat "$tmp/err")"
[[ $(sent_to 0) == $'176 64 127\n144 60 90\n176 64 0\n128 60 0' ]] ||
  fail "not let go at SIGTERM: $(sent_to 0)"

# With no terminal and a display, each line said is also a desktop notice.
mkdir -p "$tmp/bin"
cat >"$tmp/bin/notify-send" <<SH
#!/bin/sh
printf '%s|' "\$@" >>"$tmp/notices"
echo >>"$tmp/notices"
SH
chmod +x "$tmp/bin/notify-send"
printf 'input Clavier\n0 144 60 90\n0 144 63 90\n0 144 67 90\n300 key q\n' >"$keyboard"
PATH="$tmp/bin:$PATH" DISPLAY=:99 VELK0_DIALOGS=auto run 0
[[ $status -eq 0 ]] || fail "no terminal: exit code $status: $(cat "$tmp/err")"
grep -q '"ev":"notice","text":"mineur : o5 c d+ g","shown":true' "$tmp/trace" ||
  fail "no notice traced: $(grep notice "$tmp/trace")"
for _ in $(seq 50); do [[ -s $tmp/notices ]] && break; sleep 0.1; done
grep -q -- '--|mineur : o5 c d+ g|$' "$tmp/notices" || fail "notify-send got: $(cat "$tmp/notices")"
# In a terminal's place (VELK0_DIALOGS=terminal), no notice.
PATH="$tmp/bin:$PATH" DISPLAY=:99 run 0
! grep -q '"ev":"notice"' "$tmp/trace" || fail "a notice with the terminal chosen"
echo "ok"
