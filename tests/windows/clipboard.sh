#!/bin/bash
# The Windows clipboard under Wine, which shares it with the X server: text
# put there by xclip is read by @en, and the copier vantrel.exe, started by
# @hp answered Yes, puts the current information there for xclip to read.
source "$(dirname "$0")/lib.sh"
command -v xclip >/dev/null || { echo "xclip is not installed" >&2; exit 1; }
vantrel="$(dirname "$exe")/vantrel.exe"

start_display
use_scratch_drive

# Runs velk0.exe with scripted answers ($1) and the other arguments.
scripted() {
  local answers=$1
  shift
  VELK0_CLOCK=virtual VELK0_ANSWERS=$answers VELK0_TRACE="$work/trace.jsonl" \
    "${runner[@]}" "$exe" "$@" </dev/null >"$work/stdout" 2>"$work/stderr"
}

printf 'o3 c e g' | xclip -selection clipboard
scripted oo "@en"
trace_lines | grep -q '"ev":"clipboard","op":"read","text":"o3 c e g"' ||
  fail "@en did not read the clipboard"

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
