#!/usr/bin/env bash
# A tablature file far longer than one reading's text and one note list plays
# every note as one reading: chords, the key signature, staccato and the
# octave go on across every boundary.
source "$(dirname "$0")/lib.sh"
cd "$tmp"

# 1,000 measures, 75,000 characters: a chord, f (sharp by the key
# signature), a above the octave, and lyrics; 5 notes a measure, so the
# lists of the reading end inside chords.
measures=1000
lyrics=$(printf 'la %.0s' {1..18})la
{
  printf 'iaf+: t239 99 ms o4\n'
  for ((k = 0; k < measures; k++)); do printf '(c e g) f >a ip%s: |\n' "$lyrics"; done
} >long.tab
dry_run long.tab >out 2>err || fail "exit code $?"
[[ ! -s err ]] || fail "standard error: $(cat err)"
grep -q '"path":"long.tab","chars":75020' trace || fail "the file was not read once, whole"

# The note-ons between two waits sound together: per measure the chord, then
# the two notes alone, each note-on 48 52 55 54 69; staccato adds a silent
# wait after each release.
awk -v measures=$measures '
  /"ev":"wait"/ { if (run) runs = runs run " "; run = 0; waits++ }
  match($0, /"bytes":\[145,[0-9]+/) { pitches = pitches substr($0, RSTART + 13, RLENGTH - 13) " "; run++ }
  END {
    for (k = 0; k < measures; k++) { want_runs = want_runs "3 1 1 "; want = want "48 52 55 54 69 " }
    if (runs != want_runs) { print "grouping differs"; exit 1 }
    if (pitches != want) { print "pitches differ"; exit 1 }
    if (waits != 6 * measures) { print "waits: " waits; exit 1 }
  }' trace || fail "the long file did not play as one reading"

# A key signature met after a full list of notes still rewrites the reading
# from its start, as in a short text: every f sounds sharp.
{
  printf 't239 99 '
  for ((k = 0; k < 2100; k++)); do printf 'f '; done
  printf 'iaf+:'
} >late.tab
dry_run late.tab >out 2>err || fail "exit code $?"
[[ $(grep -c '"bytes":\[145,42,' trace) == 2100 && $(grep -c '"bytes":\[145,' trace) == 2100 ]] ||
  fail "late key signature: $(grep -o '"bytes":\[145,[0-9]*' trace | sort | uniq -c)"

echo "ok"
