#!/usr/bin/env bash
# The sound into a JACK server (VELK0_AUDIO=jack), on a dummy server of this
# test's own at 48 kHz and 256 frames a period: a piece of woodblock notes of
# several lengths, recorded from velk0's ports by a client of the test's own,
# has its onsets where the WAV file of the same piece has them, within one
# period, and has rung out when velk0 leaves; Ctrl-C fades a note out; a
# sound cue sounds through the server too; a server that stops in the middle
# of a piece is one line on standard error, and the run ends on its own.
# Skipped (77) where no JACK server can start.
source "$(dirname "$0")/lib.sh"
measure_with_soundfont "$2"
here=$(dirname "$0")
find_jack_python
piece=("ii115: t120 8p o4 8c 16d d 4e 8f 16g g 8a 4b 8>c")
period=256

# The recording client leaves first, then the server (see start_jack_server).
jack_server='' recorder=''
stop() {
  exec 3>&- 2>/dev/null || true
  end_process "$recorder" 50
  stop_jack_server
  rm -rf "$tmp"
}
trap stop EXIT
start_jack_server $period

# Runs velk0 with the arguments given into JACK (no terminal, 30 s at most;
# with `-INT S` first, Ctrl-C S seconds after it started, and it must be gone
# within a second) while the test's client records its ports into
# $tmp/rec.raw; fails on an exit status other than a plain end's (0) or
# Ctrl-C's (130), or on standard error.
recorded_from() {
  local interrupt_after='' expected=0 status=0
  [[ $1 == -INT ]] && { interrupt_after=$2 expected=130; shift 2; }
  mkfifo "$tmp/end"
  timeout 100 "$python" "$here/jack_audio.py" record essai "$tmp/rec.raw" \
    <"$tmp/end" >"$tmp/recorder.out" 2>"$tmp/recorder.err" &
  recorder=$!
  exec 3>"$tmp/end"
  for _ in $(seq 100); do
    grep -qx ready "$tmp/recorder.out" && break
    kill -0 "$recorder" 2>/dev/null ||
      fail "the recording client stopped: $(cat "$tmp/recorder.err")"
    sleep 0.1
  done
  grep -qx ready "$tmp/recorder.out" || fail "the recording client never registered its ports"
  VELK0_AUDIO=jack timeout 30 "$velk0" "$@" </dev/null >"$tmp/out" 2>"$tmp/err" &
  local run=$!
  if [[ -n $interrupt_after ]]; then
    sleep "$interrupt_after"
    pkill -INT -P $run -x velk0
    ended_within 10 $run || fail "$* : still running a second after Ctrl-C"
  fi
  wait $run || status=$?
  [[ $status -eq $expected ]] || fail "$* : exit code $status: $(cat "$tmp/out" "$tmp/err")"
  [[ ! -s $tmp/err ]] || fail "$* : standard error: $(cat "$tmp/err")"
  exec 3>&-
  end_process "$recorder" 100
  recorder=''
  rm "$tmp/end"
  grep -qx connected "$tmp/recorder.out" || fail "$* : velk0's ports were never connected"
  grep -q "^recorded [0-9]* 48000 $period$" "$tmp/recorder.out" ||
    fail "$* : the recording client said: $(cat "$tmp/recorder.out" "$tmp/recorder.err")"
}
# The peak of the recording (level), or of its last $2 ms of sound (ending).
peak() { "$python" "$here/jack_audio.py" "$1" "$tmp/rec.raw" ${2:-}; }
# Fails with $3 unless awk finds the condition $2 true of the number $1 (p).
check() { awk -v p="$1" "BEGIN { exit !($2) }" || fail "$3 ($1)"; }

# The piece's onsets keep their places, and its last note has rung out
# (under -40 dBFS) when velk0 leaves.
recorded_from "${piece[@]}"
VELK0_CLOCK=virtual VELK0_AUDIO="$tmp/piece.wav" "$velk0" "${piece[@]}" </dev/null >/dev/null ||
  fail "the WAV file of the piece: exit code $?"
"$python" "$here/jack_audio.py" compare "$tmp/rec.raw" 48000 "$tmp/piece.wav" $period ||
  fail "the piece through JACK"
check "$(peak ending 20)" "p < 0.01" "the piece: velk0 left while it still sounded"

# Ctrl-C in the middle of an organ note: the note fades out, rather than
# stops with a click, and the server plays on for the runs after it.
recorded_from -INT 1.5 "ii19: t60 1c"
level=$(peak level)
check "$level" "p > 0.1" "Ctrl-C: the note was not heard"
check "$(peak ending 1)" "p < $level * 0.15" "Ctrl-C: the note was cut, not faded out"

# The edition cue of an @ command sounds through the server before the run
# ends.
recorded_from @pd
check "$(peak level)" "p > 0.01" "@pd: no cue recorded"

# The server stops in the middle of a piece: one line says so, and the run
# goes on, silent, to its end.
VELK0_AUDIO=jack timeout 30 "$velk0" "t120 o4 c d e f g a b >c d e" </dev/null >"$tmp/out" \
  2>"$tmp/err" &
velk0_run=$!
sleep 2
stop_jack_server
jack_server=''
status=0
wait $velk0_run || status=$?
[[ $status -eq 0 ]] || fail "a server that stops: exit code $status: $(cat "$tmp/out" "$tmp/err")"
[[ $(cat "$tmp/err") == "velk0 : le serveur JACK s'est arrêté ou a déconnecté velk0 ; la suite n'est plus entendue." ]] ||
  fail "a server that stops: standard error: $(cat "$tmp/err")"
echo "ok"
