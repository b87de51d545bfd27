#!/bin/bash
# A dry run of velk0.exe "o3 c d e" under Wine, through the Windows MIDI
# backend (winmm): with a MIDI output device, each note is a note-on, a wait
# of 1000 ms and a note-off, between the opening and the closing of the
# device; with none (Wine commonly has none), the program says so in a box
# and sends no note at all.
source "$(dirname "$0")/lib.sh"
use_scratch_drive

VELK0_CLOCK=virtual VELK0_ANSWERS= VELK0_TRACE="$work/trace.jsonl" \
  "${runner[@]}" "$exe" "o3 c d e" </dev/null >"$work/stdout" 2>"$work/stderr"
status=$?
[ "$status" = 0 ] || fail "exit code $status, expected 0"

mapfile -t lines < <(trace_lines)
# Program change 0 of the settings reset at start, before any opening.
[ "${lines[0]:-}" = '{"ev":"midi","device":null,"bytes":[193,0,0]}' ] ||
  fail "first trace line: ${lines[0]:-none}"

if grep -q '"ev":"open"' "$work/trace.jsonl"; then
  echo "Wine has a MIDI output device: checking the notes"
  open_line=${lines[1]:-}
  [[ "$open_line" =~ ^\{\"ev\":\"open\",\"device\":0,\"notes\":[1-9][0-9]*\}$ ]] ||
    fail "expected the opening of device 0 with its notes, got: $open_line"
  expected=()
  for note in 36 38 40; do
    expected+=("{\"ev\":\"midi\",\"device\":0,\"bytes\":[145,$note,127]}"
      '{"ev":"wait","ms":1000}'
      "{\"ev\":\"midi\",\"device\":0,\"bytes\":[129,$note,0]}")
  done
  expected+=('{"ev":"close"}')
  actual=("${lines[@]:2}")
  [ "${#actual[@]}" -eq "${#expected[@]}" ] ||
    fail "${#actual[@]} events after the opening, expected ${#expected[@]}"
  for i in "${!expected[@]}"; do
    [ "${actual[$i]:-}" = "${expected[$i]}" ] ||
      fail "event $((i + 3)): ${actual[$i]:-none}, expected ${expected[$i]}"
  done
else
  echo "Wine reports no MIDI output device: checking the message instead"
  expected='{"ev":"box","style":"info","text":"","caption":"votre environnement ne supporte pas ce midi mapper","answer":1}'
  [ "${#lines[@]}" -eq 2 ] || fail "${#lines[@]} trace lines, expected 2"
  [ "${lines[1]:-}" = "$expected" ] || fail "second trace line: ${lines[1]:-none}"
  grep -q '"bytes":\[14[0-9],' "$work/trace.jsonl" && fail "a note-on was sent with no device"
  # The scripted box is printed on standard output.
  tr -d '\r' <"$work/stdout" | grep -qx "votre environnement ne supporte pas ce midi mapper" ||
    fail "the message was not printed"
fi
finish
