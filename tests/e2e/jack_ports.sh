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
skip() {
  echo "jack_ports: skipped, $*"
  exit 77
}

command -v jackd >/dev/null || skip "jackd is not installed (scripts/install-deps.sh --tests)"
python=
for candidate in python3 /usr/bin/python3; do
  "$candidate" -c "import jack" 2>/dev/null && { python=$candidate; break; }
done
[[ -n $python ]] || skip "python3-jack-client is not installed (scripts/install-deps.sh --tests)"

# Waits up to $1 tenths of a second for process $2 to end.
ended_within() {
  for _ in $(seq "$1"); do
    kill -0 "$2" 2>/dev/null || return 0
    sleep 0.1
  done
  ! kill -0 "$2" 2>/dev/null
}
# Ends process $1 (if any), a `timeout` in front of the real one: lets it end
# by itself for $2 tenths of a second, then asks it to (SIGTERM, which
# `timeout` passes on), then, five seconds later, kills both.
end() {
  [[ -n $1 ]] || return 0
  ended_within "$2" "$1" || kill "$1" 2>/dev/null || true
  ended_within 50 "$1" || kill -KILL $(pgrep -P "$1") "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
# The receiving client leaves first, at the end of its input, so that the
# server, stopped with no client left, frees its entry in JACK's registry of
# servers (eight entries for the whole machine).
server='' receiver=''
stop() {
  exec 3>&- 2>/dev/null || true
  end "$receiver" 50
  end "$server" 0
  rm -rf "$tmp"
}
trap stop EXIT

# A server of this run's own, so that runs side by side never meet: the
# first of four names that no running server holds (a server that was killed
# leaves its entry in the registry, and the next server of its name takes it
# back). No real-time scheduling, so that any user can start it; each cycle
# waits for every client (-S), so that a client the busy machine runs late
# still reads what the cycle carried; no client starts a server of its own.
# Each background process ends by itself, should this script be killed.
export JACK_NO_START_SERVER=1
for slot in 1 2 3 4; do
  export JACK_DEFAULT_SERVER=velk0-e2e-$slot
  timeout 100 jackd -r -S -t 5000 -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 1024 \
    >"$tmp/jackd.log" 2>&1 &
  server=$!
  for _ in $(seq 100); do
    grep -q "server starting" "$tmp/jackd.log" && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
  done
  grep -q "server already active" "$tmp/jackd.log" || break
  wait "$server" || true
  server=''
done
if [[ -z $server ]] || ! kill -0 "$server" 2>/dev/null ||
  ! timeout 15 jack_wait -w -t 10 >/dev/null 2>&1 || ! kill -0 "$server" 2>/dev/null; then
  skip "no JACK server starts here: $(grep -v -i 'copyright\|warranty\|free software\|conditions' \
    "$tmp/jackd.log" | tr '\n' ' ')"
fi

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
