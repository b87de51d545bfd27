#!/usr/bin/env bash
# The clipboard of a real X server and the companion programs, seen through
# the trace: text put there by xclip is read (and converted from UTF-8), the
# copier vantrel puts the current information there, and companion programs
# are found along PATH and started without being waited for.
source "$(dirname "$0")/lib.sh"
unset VELK0_CLIPBOARD WAYLAND_DISPLAY
for tool in Xvfb xclip; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps.sh --tests)"
done

xvfb=
trap '[[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null; rm -rf "$tmp"' EXIT

# Waits up to 10 s for a command to succeed.
eventually() {
  for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done
  return 1
}
notes() { grep -o '"bytes":\[14[4-9],[0-9]*,[0-9]*\]' "$tmp/trace" | sed 's/.*\[14[4-9],\([0-9]*\),.*/\1/' | tr '\n' ' '; }

# No display at all: the clipboard cannot be opened; the error cue, an empty motif.
DISPLAY= VELK0_ANSWERS=o dry_run "@en" >/dev/null
grep -q '"ev":"clipboard","op":"read","text":null' "$tmp/trace" || fail "no display: no failed read"
grep -q '"ev":"sound","path":"erreur.wav"' "$tmp/trace" || fail "no display: no error cue"
[[ -s "$tmp/korvane/erreur.wav" ]] || fail "the error cue was not installed"

# No display: the copier fails and says why, on standard error; so it does
# when there is no information to copy.
vantrel=$(dirname "$velk0")/vantrel
printf 'o3 c e g\r\n' >"$tmp/korvane/prvinfo.tab"
DISPLAY= "$vantrel" 2>"$tmp/err" && fail "vantrel succeeded without a clipboard"
grep -qx "vantrel : aucun presse-papiers n'est accessible, l'information courante n'a pas été copiée" \
  "$tmp/err" || fail "vantrel without a clipboard said: $(cat "$tmp/err")"
rm "$tmp/korvane/prvinfo.tab"
DISPLAY= "$vantrel" 2>"$tmp/err" && fail "vantrel succeeded without information"
grep -qx "vantrel : impossible de lire l'information courante (\\\\korvane\\\\prvinfo.tab), rien n'a été copié" \
  "$tmp/err" || fail "vantrel without information said: $(cat "$tmp/err")"

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
xvfb=$!
eventually test -s "$tmp/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$tmp/display")"

printf 'o3 c e g' | xclip -selection clipboard
VELK0_ANSWERS=oo dry_run "@en" >"$tmp/out"
grep -q '"ev":"clipboard","op":"read","text":"o3 c e g"' "$tmp/trace" || fail "@en did not read xclip's text"
[[ "$(notes)" == "36 40 43 " ]] || fail "@en played: $(notes)"
grep -qx "presse papier" "$tmp/out" || fail "the clipboard's box is not printed"

# With xsel alone (no xclip along PATH), the same.
if command -v xsel >/dev/null; then
  mkdir -p "$tmp/xsel-only"
  ln -s "$(command -v xsel)" "$tmp/xsel-only/xsel"
  PATH="$tmp/xsel-only" VELK0_ANSWERS=on dry_run "@en" >/dev/null
  grep -q '"ev":"clipboard","op":"read","text":"o3 c e g"' "$tmp/trace" || fail "xsel did not read"
else
  not_checked "the clipboard through xsel alone: xsel is not installed" \
    "(scripts/install-deps.sh --tests)"
fi

# Accented text arrives in the program's own bytes and leaves the trace in UTF-8.
printf 'c \xc3\xa9' | xclip -selection clipboard
VELK0_ANSWERS=on dry_run "@en" >/dev/null
grep -q '"text":"c é\\n","caption":"presse papier"' "$tmp/trace" || fail "accents: $(head -3 "$tmp/trace")"

# @ojp plays the clipboard's tablature: answered No it becomes the current
# tablature and is kept in prv.tab; answered Yes the current one is put back.
printf '0' >"$tmp/korvane/midiinit.dev"
printf 'o3 e f' | xclip -selection clipboard
VELK0_ANSWERS=on dry_run "@ojp" >/dev/null
[[ "$(notes)" == "40 41 " ]] || fail "@ojp played: $(notes)"
cmp -s <(printf 'o3 e f\r\n') "$tmp/korvane/prv.tab" || fail "@ojp kept: $(od -c "$tmp/korvane/prv.tab")"
VELK0_ANSWERS=oo dry_run "@ojp" >/dev/null
[[ "$(notes)" == "40 41 " ]] || fail "@ojp answered Yes played: $(notes)"
cmp -s <(printf 'o3 c d e f g a b >c\r\n') "$tmp/korvane/prv.tab" || fail "@ojp did not put back"

# @hp answered Yes: the clipboard is emptied, then the copier, found beside
# velk0, puts the current information on it.
printf 'o3 c d e gamme majeure\r\n' >"$tmp/korvane/prvinfo.tab"
VELK0_ANSWERS=o dry_run "@hp" >/dev/null
grep -q '"ev":"clipboard","op":"empty"' "$tmp/trace" || fail "@hp did not empty the clipboard"
grep -q '"ev":"exec","command":"\\\\korvane\\\\vantrel.exe","started":true' "$tmp/trace" ||
  fail "@hp did not start vantrel: $(grep exec "$tmp/trace")"
copied() { [[ "$(xclip -selection clipboard -o 2>/dev/null)" == "o3 c d e gamme majeure" ]]; }
eventually copied || fail "vantrel left: $(xclip -selection clipboard -o 2>&1)"

# @hp answered No keeps what the clipboard holds and starts nothing.
VELK0_ANSWERS=n dry_run "@hp" >/dev/null
grep -q '"ev":"exec"' "$tmp/trace" && fail "@hp answered No started a program"
copied || fail "@hp answered No changed the clipboard"

# Companions along PATH, by their Windows names with or without .exe.
mkdir -p "$tmp/bin"
printf '#!/bin/sh\necho "$0" >"%s/ran-$(basename "$0")"\nsleep 5\n' "$tmp" >"$tmp/bin/quirel"
cp "$tmp/bin/quirel" "$tmp/bin/zentra.exe"
chmod +x "$tmp/bin/quirel" "$tmp/bin/zentra.exe"
start=$(date +%s%N)
PATH="$tmp/bin:$PATH" dry_run "@ste" "@pam" "@sta" >/dev/null 2>"$tmp/err"
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
eventually test -e "$tmp/ran-quirel" || fail "quirel did not run"
eventually test -e "$tmp/ran-zentra.exe" || fail "zentra.exe did not run"
((elapsed_ms < 4000)) || fail "velk0 waited for its companions (${elapsed_ms} ms)"
grep -q '"ev":"exec","command":"quimbol.exe","started":false' "$tmp/trace" ||
  fail "the attempt to start a missing companion is not traced"
[[ $(cat "$tmp/err") == "velk0 : impossible de démarrer quimbol.exe" ]] ||
  fail "the missing companion: $(cat "$tmp/err")"
[[ "$(grep -o '"ev":"[a-z]*"' "$tmp/trace" | tr '\n' ' ')" == '"ev":"midi" "ev":"open" "ev":"sound" "ev":"exec" "ev":"exec" "ev":"sound" "ev":"sound" "ev":"exec" "ev":"close" ' ]] ||
  fail "companions: $(grep -o '"ev":"[a-z]*"' "$tmp/trace" | tr '\n' ' ')"
passed
