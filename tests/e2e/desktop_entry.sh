#!/usr/bin/env bash
# The desktop entry, its icon and the type of the tablatures, installed into
# a scratch prefix: the entry is valid and names the type that the definition
# gives the .tab files, and its command, started as a file manager starts it
# (no terminal attached), plays a tablature and a MIDI file with the MIDI
# file's box on the desktop.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
unset VELK0_DIALOGS WAYLAND_DISPLAY
prefix=$tmp/prefix
cmake --install "$(dirname "$velk0")" --prefix "$prefix" >"$tmp/install.log" ||
  fail "cmake --install: $(cat "$tmp/install.log")"
entry=$prefix/share/applications/velk0.desktop
[[ -s $prefix/share/icons/hicolor/scalable/apps/velk0.svg ]] || fail "no icon installed"
listener=$prefix/share/applications/velk0-ecoute.desktop
grep -qx "Exec=velk0-ecoute" "$listener" || fail "no entry that listens to a keyboard"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" "$listener" || fail "desktop-file-validate finds faults"
else
  not_checked "the entry's validity: desktop-file-validate is not installed" \
    "(scripts/install-deps.sh --tests)"
fi
type=$(grep -o '<mime-type type="[^"]*"' "$prefix/share/mime/packages/velk0.xml" | cut -d'"' -f2)
grep -q "^MimeType=.*audio/midi;.*$type;" "$entry" || fail "the entry does not open $type"
update-mime-database "$prefix/share/mime" >/dev/null 2>&1 || fail "update-mime-database refuses the definition"
grep -q ":$type:\*\.tab$" "$prefix/share/mime/globs2" || fail "*.tab is not $type"

# The entry's command on a tablature and on a MIDI file of one note, zenity
# (a stand-in) answering the MIDI file's box with Annuler.
mkdir "$tmp/bin"
printf '#!/bin/sh\necho "$*" >>"%s/asked"\nexit 2\n' "$tmp" >"$tmp/bin/zenity"
chmod +x "$tmp/bin/zenity"
printf 'o3 c e g\n' >"$tmp/accord.tab"
{
  printf 'MThd\0\0\0\6\0\0\0\1\1\340MTrk\0\0\0\x0d'
  printf '\0\x90\x3c\x64\x83\x60\x80\x3c\0\0\xff\x2f\0'
} >"$tmp/note.mid"
read -ra command <<<"$(sed -n 's/^Exec=//p' "$entry")"
for file in accord.tab note.mid; do
  DISPLAY=:99 PATH="$prefix/bin:$tmp/bin:$PATH" VELK0_CLOCK=virtual VELK0_AUDIO=none \
    VELK0_TRACE="$tmp/trace-$file" "${command[@]/\%f/$tmp/$file}" </dev/null >/dev/null 2>&1 ||
    fail "$file: exit $?"
done
grep -q '"bytes":\[145,36,127\]' "$tmp/trace-accord.tab" || fail "the tablature did not play"
grep -q '"op":"play"' "$tmp/trace-note.mid" || fail "the MIDI file did not play"
grep -q '"ev":"box".*"answer":2' "$tmp/trace-note.mid" && [[ $(wc -l <"$tmp/asked") == 1 ]] ||
  fail "the MIDI file's box was not answered on the desktop"
passed
