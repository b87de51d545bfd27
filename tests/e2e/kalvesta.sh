#!/usr/bin/env bash
# The companion kalvesta: the list of MIDI output devices with their numbers,
# and the choice written into the device choice file.
source "$(dirname "$0")/lib.sh"
kalvesta=$(dirname "$velk0")/kalvesta
export VELK0_AUDIO=none
choice="$tmp/korvane/midiinit.dev"

"$kalvesta" >out 2>err || fail "exit code $?"
grep -qx "0 : synthétiseur intégré, 256 notes" out || fail "device 0 missing: $(cat out)"
grep -qx 'aucun choix dans \\korvane\\midiinit.dev : velk0 prend la sortie 0' out ||
  fail "no word on the missing choice: $(cat out)"

# With no data folder yet, the choice makes it.
"$kalvesta" 0 >out 2>err || fail "kalvesta 0: exit code $?"
[[ $(od -An -c "$choice" | tr -d ' ') == '0\r\n' ]] || fail "the file holds: $(od -c "$choice")"
grep -qx "sortie 0 choisie : synthétiseur intégré" out || fail "kalvesta 0 said: $(cat out)"
"$kalvesta" >out || fail "exit code $?"
grep -qx 'choix actuel dans \\korvane\\midiinit.dev : 0' out || fail "choice not shown: $(cat out)"

# A number that names no device, or no number: said in French, nothing written.
for wrong in 9999 abc -1; do
  if "$kalvesta" "$wrong" >out 2>err; then fail "kalvesta $wrong succeeded"; fi
  grep -q "ne désigne aucune sortie MIDI" err || fail "kalvesta $wrong said: $(cat err)"
  [[ $(od -An -c "$choice" | tr -d ' ') == '0\r\n' ]] || fail "kalvesta $wrong wrote the file"
done
echo "ok"
