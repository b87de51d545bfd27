#!/bin/bash
# The Windows installer under Wine, in a fresh prefix of its own: installed
# silently (/S), it puts the programs on the PATH and makes the data folder
# \korvane\ at the root of drive C: from its copy; the installed velk0.exe
# plays a tablature and shows its box, and kalvesta.exe, found through the
# PATH, lists the outputs; the uninstaller, silent too, leaves nothing of the
# installation behind, in the files or in the registry.
source "$(dirname "$0")/lib.sh"

installer=$(ls "$(dirname "$exe")"/velk0-*-win*.exe 2>/dev/null | head -1)
[ -n "$installer" ] || { echo "no installer beside $exe (cpack -G NSIS)" >&2; exit 1; }
runner=("${runner[0]}" "--prefix=$work/wine")
start_display

"${runner[@]}" "$installer" /S </dev/null >"$work/stdout" 2>"$work/stderr" ||
  fail "the installer failed"
prefix=$(ls -d "$work"/wine/win*)
c="$prefix/drive_c"
instdir=$(ls -d "$c"/Program\ Files*/velk0 2>/dev/null | head -1)
for file in bin/velk0.exe bin/kalvesta.exe bin/velk0-ecoute.exe bin/vantrel.exe README.txt LICENSE.txt \
  Uninstall.exe korvane/midiinit.dev; do
  [ -f "$instdir/$file" ] || fail "$file not installed"
done
diff -r "$instdir/korvane" "$c/korvane" >/dev/null || fail "no data folder C:\\korvane as shipped"

# From drive C:, whose root holds the data folder.
cd "$c" || exit 1
"${runner[@]}" "$c/windows/system32/cmd.exe" /c kalvesta </dev/null >"$work/stdout" 2>"$work/stderr"
grep -Eaq $'^(aucune sortie MIDI dans cet environnement\r|sorties MIDI, avec leur num\xE9ro)' \
  "$work/stdout" || fail "kalvesta, through the PATH, listed no outputs"

# The installed velk0.exe, found through the PATH too, and started on drive C:
# (a folder of this machine would be drive Z:, whose root is this machine's).
exe="$c/windows/system32/cmd.exe"
start_program /c 'cd /d C:\ && velk0 #w1 #n0 ceg-'
answer_box "quinte bémol" Return
grep -q '"ev":"open"' "$work/trace.jsonl" 2>/dev/null ||
  answer_box "votre environnement ne supporte pas ce midi mapper" Return
wait_program 60
[ "$status" = 0 ] || fail "the installed velk0: exit code $status, expected 0"
trace_lines | grep -q '"caption":"quinte bémol","answer":1}' || fail "no chord box in the trace"

"${runner[@]}" "$instdir/Uninstall.exe" /S </dev/null >/dev/null 2>&1 || fail "the uninstaller failed"
# It goes on from a copy of itself: wait for the Wine session to end, which
# also writes the registry to disk.
WINEPREFIX=$prefix timeout 120 wineserver -w
left=$(find "$c" \( -iname '*velk0*' -o -iname korvane -o -iname 'kalvesta*' \
  -o -iname 'vantrel*' \) -print)
[ -z "$left" ] || fail "left after uninstalling: $left"
registry=$(grep -i velk0 "$prefix"/*.reg)
[ -z "$registry" ] || fail "left in the registry: $registry"
finish
