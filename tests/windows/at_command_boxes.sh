#!/bin/bash
# The @ commands in real boxes, answered by keystrokes: an offer chain
# (No, then Yes), a stepper (up, then Escape), each ending with the edition
# cue, which the program installs in its data folder the first time.
source "$(dirname "$0")/lib.sh"

start_display
use_scratch_drive
start_program "@PT" "@hd"
next_box_title || fail "no box at all"
if [ "$box_title" = "votre environnement ne supporte pas ce midi mapper" ]; then
  answer_box "$box_title" Return
fi
answer_box "largo" n
answer_box "andante" y
answer_box "degré courant 1" y
answer_box "degré courant 2" Escape
wait_program 60
[ "$status" = 0 ] || fail "exit code $status, expected 0"

mapfile -t boxes < <(trace_lines | grep '"ev":"box","style":"choice"')
expected=('{"ev":"box","style":"choice","text":"oui=saisie non=suivant annuler=quitter","caption":"largo","answer":7}'
  '{"ev":"box","style":"choice","text":"oui=saisie non=suivant annuler=quitter","caption":"andante","answer":6}'
  '{"ev":"box","style":"choice","text":"oui=augmenter non=diminuer escape=saisie","caption":"degré courant 1","answer":6}'
  '{"ev":"box","style":"choice","text":"oui=augmenter non=diminuer escape=saisie","caption":"degré courant 2","answer":2}')
[ "${boxes[*]}" = "${expected[*]}" ] || fail "boxes: ${boxes[*]}"
[ "$(trace_lines | grep -c '"ev":"sound","path":"\\\\korvane\\\\edition.wav"')" = 2 ] ||
  fail "expected two edition cues"
[ "$(head -c 4 "$root/korvane/edition.wav" 2>/dev/null)" = RIFF ] ||
  fail "the edition cue was not installed in the data folder"
finish
