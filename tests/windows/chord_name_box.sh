#!/bin/bash
# Chord names carry two code page 850 letters (0x82 é, 0x8A è) among the
# Windows-1252 text; the real box must show them as é and è, not as the
# Windows-1252 characters of those bytes. At show level 1 the musical command
# n names c e g- "quinte bémol" in the caption of an information box.
source "$(dirname "$0")/lib.sh"

start_display
use_scratch_drive
start_program "#w1" "#n0" "ceg-"
answer_box "quinte bémol" Return
# Then the tablature is played, or the lack of a device is reported.
if grep -q '"ev":"open"' "$work/trace.jsonl" 2>/dev/null; then
  wait_program 60
else
  answer_box "votre environnement ne supporte pas ce midi mapper" Return
  wait_program 60
fi
[ "$status" = 0 ] || fail "exit code $status, expected 0"

mapfile -t lines < <(trace_lines)
[ "${lines[1]:-}" = '{"ev":"box","style":"info","text":"c e g- ","caption":"quinte bémol","answer":1}' ] ||
  fail "second trace line: ${lines[1]:-none}"
finish
