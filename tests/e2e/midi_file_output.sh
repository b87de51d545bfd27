#!/usr/bin/env bash
# VELK0_AUDIO=PATH.mid (any case): the run's messages in a Standard MIDI File,
# with no sound. A run that sends nothing leaves an empty file, and a run
# stopped by a signal while a box waits leaves a whole file of what was sent,
# the notes of a MIDI file it played among them.
source "$(dirname "$0")/lib.sh"
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
echo "ok"
