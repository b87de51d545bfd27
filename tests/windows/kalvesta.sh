#!/bin/bash
# kalvesta.exe under Wine: the list of winmm's MIDI output devices (Wine
# commonly has none, and says so), written in the ANSI code page when the
# output is a file; a number that names no device refused in French, with
# nothing written into the data folder.
source "$(dirname "$0")/lib.sh"
kalvesta="$(dirname "$exe")/kalvesta.exe"
use_scratch_drive

"${runner[@]}" "$kalvesta" </dev/null >"$work/stdout" 2>"$work/stderr"
status=$?
[ "$status" = 0 ] || fail "exit code $status, expected 0"
if grep -q "^aucune sortie MIDI dans cet environnement"$'\r'"$" "$work/stdout"; then
  echo "Wine reports no MIDI output device"
else
  # The heading, in Windows-1252 bytes, then one line a device.
  grep -q $'^sorties MIDI, avec leur num\xE9ro' "$work/stdout" || fail "no heading"
  grep -Eq '^0 : .+, [0-9]+ notes' "$work/stdout" || fail "no line for device 0"
fi

"${runner[@]}" "$kalvesta" 9999 </dev/null >"$work/stdout" 2>"$work/stderr"
status=$?
[ "$status" = 1 ] || fail "kalvesta 9999: exit code $status, expected 1"
grep -q $'^kalvesta : 9999 ne d\xE9signe aucune sortie MIDI' "$work/stderr" ||
  fail "kalvesta 9999 said: $(cat "$work/stderr")"
[ ! -e "$root/korvane/midiinit.dev" ] || fail "a device choice file was written"
finish
