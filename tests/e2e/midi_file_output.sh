#!/usr/bin/env bash
# VELK0_AUDIO=PATH.mid (any case): the run's messages in a Standard MIDI File,
# with no sound. A run that sends nothing leaves an empty file, and a run
# stopped by a signal while a box waits leaves a whole file of what was sent,
# the notes of a MIDI file it played among them. The MIDI file and the WAV
# file of one run sound the same instruments.
source "$(dirname "$0")/lib.sh"
measure_with_soundfont "$2"
velk0=$(realpath "$velk0")
cd "$tmp"

# The bytes of a file as one hex string.
hex() { od -An -tx1 -v "$1" | tr -d ' \n'; }

# A whole file of one track: header, track length, End of Track at its end.
whole_midi() {
  local bytes length
  bytes=$(hex "$1")
  length=$((16#${bytes:36:8}))
  [[ ${bytes:0:44} == 4d546864000000060000000103e84d54726b* && $length -eq $(($(stat -c %s "$1") - 22)) &&
    $bytes == *ff2f00 ]]
}

# A G at 120 beats a minute, after a rest of one quarter note.
printf 'MThd\0\0\0\6\0\0\0\1\1\340MTrk\0\0\0\16\203\140\220\103\144\203\140\200\103\0\0\377\057\0' >song.mid
printf 'do re mi\n' >text.mid

VELK0_AUDIO=empty.MID "$velk0" text.mid </dev/null >out 2>err || fail "empty: exit code $?"
[[ ! -s err ]] || fail "empty: standard error: $(cat err)"
[[ $(hex empty.MID) == 4d546864000000060000000103e84d54726b0000001400ff030576656c6b3000ff51030f424000ff2f00 ]] ||
  fail "empty: $(hex empty.MID)"

mkfifo answers
exec 3<>answers  # a box that waits for ever
VELK0_AUDIO=cut.mid "$velk0" "o3 c" song.mid <answers >out 2>err &
pid=$!
give_up=$((SECONDS + 10))
until grep -q "a = annuler" out; do
  [[ $SECONDS -lt $give_up ]] || fail "the box never came: $(cat out err)"
  sleep 0.05
done
kill -TERM "$pid"
code=0
wait "$pid" || code=$?
[[ $code -eq 143 ]] || fail "cut: exit code $code"
whole_midi cut.mid || fail "cut.mid is not whole: $(hex cut.mid)"
# The tablature's note, on and off, then its piece's note 500 ms later.
[[ $(hex cut.mid) == *0091247f876881240000b17b0083749043648374804300* ]] || fail "cut: $(hex cut.mid)"
[[ -z $(ls -A | grep '\.tmp$') && ! -e cut.wav ]] || fail "left: $(ls -A)"

# The program the first note of a MIDI file written by the run plays with: the
# last program change on its channel before it (a format 0 file without
# running status).
first_note_program() {
  od -An -tu1 -v "$1" | awk '
    function number(  v) { v = 0; do v = v * 128 + b[at] % 128; while (b[at++] >= 128); return v }
    { for (i = 1; i <= NF; i++) b[n++] = $i }
    END {
      for (at = 22; at < n;) {
        number()
        status = b[at++]
        if (status == 255) { at++; at += number(); continue }
        kind = int(status / 16); channel = status % 16
        if (kind == 12) program[channel] = b[at]
        if (kind == 9 && b[at + 1] > 0) { print program[channel] + 0; exit }
        at += kind == 12 || kind == 13 ? 1 : 2
      }
    }'
}

# How alike two 16-bit WAV files sound from frame $3 on: the correlation of
# their samples, in percent (100 for the same sound).
likeness() {
  paste <(od -An -td2 -v -w2 -j$((44 + 4 * $3)) "$1") <(od -An -td2 -v -w2 -j$((44 + 4 * $3)) "$2") |
    awk 'NF == 2 { xy += $1 * $2; xx += $1 * $1; yy += $2 * $2 } END { printf "%d", 100 * xy / sqrt(xx * yy) }'
}

# One run written both ways: @pi chooses the guitar, then the tablature opens
# the device again. The MIDI file's notes play with the guitar, and so do
# the WAV file's: they sound as the same run with the guitar chosen again in
# the tablature, not as with the piano.
run() { VELK0_CLOCK=virtual VELK0_ANSWERS=no VELK0_AUDIO=$1 "$velk0" @pi '#' "$2o5 c d e"; }
run both.mid "" </dev/null >out 2>err || fail "both.mid: exit code $?"
program=$(first_note_program both.mid)
[[ $program -eq 24 ]] || fail "the MIDI file's notes play with program $program: $(hex both.mid)"
VELK0_TRACE=trace run both.wav "" </dev/null >out 2>err || fail "both.wav: exit code $?"
for chosen in "$program" 0; do
  run "$chosen.wav" "ii$chosen:" </dev/null >out 2>err || fail "ii$chosen: exit code $?"
done
first_note_ms=$(grep -m1 '"bytes":\[145,' trace | grep -o '"t":[0-9]*' | cut -d: -f2)
from=$((first_note_ms * 441 / 10))
[[ $(likeness both.wav "$program.wav" $from) -ge 99 && $(likeness both.wav 0.wav $from) -lt 50 ]] ||
  fail "the WAV file does not sound program $program: $(likeness both.wav "$program.wav" $from)% alike"
echo "ok"
