#!/bin/bash
# The Windows clipboard under Wine, which shares it with the X server: text
# put there by xclip is read by @en, and the copier vantrel.exe, started by
# @hp answered Yes, puts the current information there for xclip to read.
source "$(dirname "$0")/lib.sh"
command -v xclip >/dev/null || { echo "xclip is not installed" >&2; exit 1; }
vantrel="$(dirname "$exe")/vantrel.exe"
clipboard_text="$(dirname "$exe")/velk0_clipboard_text.exe"

start_display
use_scratch_drive

# Runs velk0.exe with scripted answers ($1) and the other arguments.
scripted() {
  local answers=$1
  shift
  VELK0_CLOCK=virtual VELK0_ANSWERS=$answers VELK0_TRACE="$work/trace.jsonl" \
    "${runner[@]}" "$exe" "$@" </dev/null >"$work/stdout" 2>"$work/stderr"
}

# Waits until a Windows program started now reads $1 on the clipboard. The
# Wine session follows the X clipboard only after a while: a 32-bit Wine
# without the XFixes library looks at it every 2 s, and until then programs
# read what it saw last (in a new session, an empty clipboard).
wait_for_clipboard() {
  local seen='' deadline=$((SECONDS + 20))
  while [ $SECONDS -lt $deadline ]; do
    seen=$("${runner[@]}" "$clipboard_text" </dev/null 2>/dev/null | tr -d '\r')
    [ "$seen" = "$1" ] && return 0
    sleep 0.2
  done
  fail "the Wine session did not see the X clipboard within 20 s; it holds: $seen"
  return 1
}

printf 'o3 c e g' | xclip -selection clipboard
if wait_for_clipboard 'o3 c e g'; then
  scripted oo "@en"
  trace_lines | grep -q '"ev":"clipboard","op":"read","text":"o3 c e g"' ||
    fail "@en did not read the clipboard"
fi

printf 'o3 c d e gamme majeure\r\n' >"$root/korvane/prvinfo.tab"
cp "$vantrel" "$root/korvane/vantrel.exe"
printf 'x' | xclip -selection clipboard
scripted o "@hp"
trace_lines | grep -q '"ev":"exec","command":"\\\\korvane\\\\vantrel.exe","started":true' ||
  fail "@hp did not start the copier"
copied=
for _ in $(seq 50); do
  copied=$(xclip -selection clipboard -o 2>/dev/null | tr -d '\r')
  [ "$copied" = "o3 c d e gamme majeure" ] && break
  sleep 0.2
done
[ "$copied" = "o3 c d e gamme majeure" ] || fail "the clipboard holds: $copied"
finish
