#!/usr/bin/env bash
# The sequencer's ports through JACK, on a dummy JACK server of this test's
# own: kalvesta lists a MIDI input port of the test's client and chooses it;
# a tablature played with #m, a reading command that finds the port in the
# device choice file, and notes on two channels each reach it byte for byte,
# in order, up to the All Notes Off of every channel used when the device
# closes. Skipped (77) where no JACK server can start. The port is listed
# after any of ALSA's sequencer.
source "$(dirname "$0")/lib.sh"
here=$(dirname "$0")
kalvesta=$(dirname "$velk0")/kalvesta
export VELK0_AUDIO=none VELK0_CLOCK=virtual
client=essai port=écoute
find_jack_python

# The receiving client leaves first, at the end of its input, so that the
# server, stopped with no client left, frees its entry in JACK's registry.
receiver=''
stop() {
  exec 3>&- 2>/dev/null || true
  end_process "$receiver" 50
  stop_jack_server
  rm -rf "$tmp"
}
trap stop EXIT
start_jack_server

# The test's client: one line per message received in $tmp/received, and
# "end" once everything received before a line on descriptor 3 is there.
mkfifo "$tmp/barrier"
touch "$tmp/received"
timeout 100 "$python" "$here/jack_ports.py" "$client" "$port" "$tmp/received" \
  <"$tmp/barrier" >"$tmp/receiver.out" 2>"$tmp/receiver.err" &
receiver=$!
exec 3>"$tmp/barrier"
for _ in $(seq 100); do
  grep -qx ready "$tmp/receiver.out" && break
  kill -0 "$receiver" 2>/dev/null || fail "the receiving client stopped: $(cat "$tmp/receiver.err")"
  sleep 0.1
done
grep -qx ready "$tmp/receiver.out" || fail "the receiving client never registered its port"

# Runs one command (no terminal, 20 s at most), then writes into $tmp/got
# every message the port received from it, the All Notes Off that end it
# put in channel order.
received_from() {
  local before status=0
  before=$(wc -l <"$tmp/received")
  timeout 20 "$@" </dev/null >"$tmp/out" 2>"$tmp/err" || status=$?
  [[ $status -eq 0 ]] || fail "$* : exit code $status: $(cat "$tmp/out" "$tmp/err")"
  echo >&3
  for _ in $(seq 150); do
    [[ $(tail -n 1 "$tmp/received") == end && $(wc -l <"$tmp/received") -gt $before ]] && break
    sleep 0.1
  done
  [[ $(tail -n 1 "$tmp/received") == end ]] || fail "$* : the receiving client gave no end"
  tail -n +"$((before + 1))" "$tmp/received" | sed '$d' >"$tmp/messages"
  local last
  last=$(awk '!($1 >= 176 && $1 <= 191 && $2 == 123) { last = NR } END { print last + 0 }' \
    "$tmp/messages")
  { head -n "$last" "$tmp/messages"; tail -n +"$((last + 1))" "$tmp/messages" | sort -n; } \
    >"$tmp/got"
}
# Fails unless the port received the messages given, one a line.
expect() {
  [[ $(cat "$tmp/got") == "$2" ]] || fail "$1: the port received:"$'\n'"$(cat "$tmp/got")"
}
# The messages of notes played one after another on channel $1, then of the
# All Notes Off of that channel.
melody() {
  local channel=$1 note
  shift
  for note in "$@"; do
    echo "$((144 + channel)) $note 127"
    echo "$((128 + channel)) $note 0"
  done
  echo "$((176 + channel)) 123 0"
}

# The listing names the port as JACK does, and its number chooses it.
timeout 20 "$kalvesta" >"$tmp/out" 2>"$tmp/err" || fail "kalvesta: exit code $?"
line=$(grep -x "[0-9]* : $client:$port, 16 notes" "$tmp/out" || true)
[[ -n $line ]] || fail "kalvesta does not list the port $client:$port: $(cat "$tmp/out")"
n=${line%% *}
timeout 20 "$kalvesta" "$n" >"$tmp/out" 2>"$tmp/err" || fail "kalvesta $n: exit code $?"
grep -qx "sortie $n choisie : $client:$port" "$tmp/out" || fail "kalvesta $n said: $(cat "$tmp/out")"
[[ $(od -An -c "$tmp/korvane/midiinit.dev" | tr -d ' ') == "$n\r\n" ]] ||
  fail "midiinit.dev holds: $(od -c "$tmp/korvane/midiinit.dev")"

# Channel 1 at velocity 127, each note let go before the next, then the
# channel silenced when the device closes after the tablature.
VELK0_TRACE="$tmp/trace" received_from "$velk0" "#m$n" "c d e"
expect "#m$n 'c d e'" "$(melody 1 36 38 40)"
grep -q "\"ev\":\"open\",\"device\":$n,\"notes\":16" "$tmp/trace" || fail "#m$n: no open in the trace"

# The same live, on the system's clock.
VELK0_CLOCK='' received_from "$velk0" "#m$n" "t239 16c d e"
expect "#m$n 't239 16c d e' live" "$(melody 1 36 38 40)"

# A reading command opens the device that midiinit.dev names (the @ run
# itself opened device 0), and leaves it open until the program ends.
VELK0_TRACE="$tmp/trace" received_from "$velk0" @op
expect "@op" "$(melody 1 36 38 40 41 43 45 47 48)"
grep -q "\"ev\":\"open\",\"device\":$n,\"notes\":16" "$tmp/trace" || fail "@op: no open in the trace"

# A block chord on channel 1, then the bass voice (channel 0) plays it again
# on the same open device: both channels are silenced at the close.
chord() { printf '%s\n' "$1 36 127" "$1 40 127" "$1 43 127" "$2 36 0" "$2 40 0" "$2 43 0"; }
VELK0_ANSWERS=naona received_from "$velk0" "#m$n" @hja @pvo @hja
expect "@hja @pvo @hja" "$(chord 145 129; chord 144 128; printf '%s\n' "176 123 0" "177 123 0")"
echo "ok"
