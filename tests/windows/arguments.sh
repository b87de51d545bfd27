#!/bin/bash
# Arguments reach velk0.exe as typed, in the ANSI code page: a tablature
# holding * is never expanded into the names of files that happen to match
# it, and a typed á arrives as the double-flat byte 0xE1. At show level 1 the
# musical command n shows the notes it read in the text of its box.
source "$(dirname "$0")/lib.sh"

# Wine converts the arguments from the locale's character set.
export LC_ALL=C.UTF-8
use_scratch_drive
mkdir "$root/cwd"
touch "$root/cwd/eg"  # what "e*" would match

# Runs velk0.exe #w1 #n0 $1 in the folder and sets $text to the text of its
# first box, as a JSON string.
first_box_text() {
  text=
  (cd "$root/cwd" && VELK0_CLOCK=virtual VELK0_ANSWERS= VELK0_TRACE="$work/trace.jsonl" \
    "${runner[@]}" "$exe" "#w1" "#n0" "$1" </dev/null >"$work/stdout" 2>"$work/stderr")
  local status=$?
  [ "$status" = 0 ] || fail "exit code $status for $1"
  text=$(trace_lines | grep -m1 '"ev":"box"' | sed -E 's/^.*"text":("[^"]*").*$/\1/')
}

first_box_text "e*"
[ "$text" = '"e* "' ] || fail "e* was read as $text"
first_box_text "cáeg"
[ "$text" = '"cá e g "' ] || fail "cáeg was read as $text"
finish
