#!/usr/bin/env bash
# A file named on the command line opens by its own bytes, whatever its
# characters, and shows as it is written; no other file is opened in its
# place and its name is not played.
source "$(dirname "$0")/lib.sh"
cd "$tmp"

latin1=$'\xe9t\xe9.tab'  # a name that is no UTF-8
printf 'o3 c' >'песня.tab'
printf 'o3 d' >♫.tab
printf 'o3 e' >"$latin1"
printf 'o3 f' >été.tab
printf 'o3 g' >'?????.tab'
printf 'o3 a' >'?.tab'
# Backslashes: a name that a file bears whole opens as given; one that none
# bears has them read as folder separators; one that begins with one is taken
# from the drive root (the data folder), whatever bears it here.
mkdir -p a d korvane
printf 'o4 c' >'a\b.tab'
printf 'o4 d' >a/b.tab
printf 'o4 e' >d/e.tab
printf 'o4 f' >korvane/k.tab
printf 'o4 g' >'\korvane\k.tab'
for case in "песня.tab 36" "♫.tab 38" "$latin1 40" "été.tab 41" "?????.tab 43" \
  'a\b.tab 48' 'd\e.tab 52' '\korvane\k.tab 53'; do
  name=${case% *}
  dry_run "$name" >out 2>err || fail "$name: exit code $?"
  played=$(grep -o '"bytes":\[145,[0-9]*' trace | cut -d, -f2 | paste -sd' ')
  [[ $played == "${case##* }" ]] || fail "$name played: $played"
  [[ ! -s out && ! -s err ]] || fail "$name: $(cat out err)"
  [[ $name != "$latin1" ]] || grep -q '"path":"\\\\xe9t\\\\xe9.tab"' trace ||
    fail "the Latin-1 name in the trace: $(grep file trace)"
done

# A MIDI file whose name holds a backslash opens as given, with no x folder.
{
  printf 'MThd\0\0\0\6\0\0\0\1\1\340MTrk\0\0\0\x0d'
  printf '\0\x90\x3c\x64\x83\x60\x80\x3c\0\0\xff\x2f\0'
} >'x\y.mid'
VELK0_ANSWERS=a dry_run 'x\y.mid' >out 2>err || fail "x\\y.mid: exit code $?"
grep -q '"op":"open","type":"sequencer","path":"x\\\\y.mid"}' trace && [[ ! -s err ]] ||
  fail "x\\y.mid did not open: $(grep media trace) $(cat err)"

# A name that opens nothing is shown as it is written, then read as a
# tablature, as any name of a missing file is.
dry_run "пусто♫.tab" >out 2>err || fail "exit code $?"
grep -qx "пусто♫.tab" out || fail "the box shows: $(cat out)"
grep -q '"path":"пусто♫.tab","chars":0' trace || fail "$(grep file trace)"

echo "ok"
