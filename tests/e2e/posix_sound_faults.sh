#!/usr/bin/env bash
# Faults around the sound. A sound server that never answers (a stopped
# process listening on its socket) does not keep a signal from ending the run:
# the program gives itself 800 ms, and the test allows for a loaded machine. Memory that runs out while the SoundFont is read ends the
# run with the line that says so and status 1: never a crash, never a hang.
source "$(dirname "$0")/lib.sh"
set -m

# Waits for the run `pid` to end, at most 5 s (then kills it); sets `code`
# and `elapsed_ms` since `sent`.
wait_for_end() {
  local pid=$1 state
  for _ in $(seq 500); do
    state=$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null) || break
    [[ $state == Z ]] && break
    sleep 0.01
  done
  elapsed_ms=$((($(date +%s%N) - sent) / 1000000))
  kill -KILL "$pid" 2>/dev/null || true
  code=0
  wait "$pid" || code=$?
}

# The frozen server: it takes connections into its queue and never answers.
server="$tmp/pulse.sock"
perl -MIO::Socket::UNIX -e '
  my $s = IO::Socket::UNIX->new(Type => SOCK_STREAM(), Local => $ARGV[0], Listen => 16) or die;
  kill "STOP", $$; sleep 1000;' "$server" &
frozen=$!
disown "$frozen"
trap 'kill -KILL "$frozen" 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 100); do [[ -S $server ]] && break; sleep 0.05; done
[[ -S $server ]] || fail "the frozen server did not start"

for signal in INT TERM HUP QUIT; do
  PULSE_SERVER="unix:$server" SDL_AUDIODRIVER=pulseaudio VELK0_CLOCK=virtual \
    VELK0_TRACE="$tmp/trace" "$velk0" "o3 c d e" </dev/null >"$tmp/out" 2>"$tmp/err" &
  pid=$!
  # On a virtual clock the piece takes no time: a run still there waits on the server.
  sleep 0.5
  kill -0 "$pid" 2>/dev/null || fail "$signal: the run did not wait on the server: $(cat "$tmp/err")"
  sent=$(date +%s%N)
  kill "-$signal" "$pid"
  wait_for_end "$pid"
  [[ $code -eq $((128 + $(kill -l "$signal"))) ]] || fail "$signal: exit code $code"
  ((elapsed_ms < 2000)) || fail "$signal: the run ended $elapsed_ms ms after the signal"
  ! grep -q '"ev":"midi","device":0' "$tmp/trace" || fail "$signal: a note was sent"
done

# With a PulseAudio server of the test's own (when one is installed), frozen
# while a piece plays, or while it waits for the device to close at the end.
if command -v pulseaudio >/dev/null; then
  export XDG_RUNTIME_DIR=$tmp PULSE_RUNTIME_PATH=$tmp
  pulseaudio --daemonize=no -n --exit-idle-time=-1 --log-target=file:"$tmp/server.log" \
    -L "module-native-protocol-unix socket=$tmp/native auth-anonymous=1" \
    -L "module-null-sink sink_name=velk0_test" >/dev/null 2>&1 &
  server_pid=$!
  disown "$server_pid"
  trap 'kill -KILL "$frozen" "$server_pid" 2>/dev/null; rm -rf "$tmp"' EXIT
  for _ in $(seq 100); do [[ -S $tmp/native ]] && break; sleep 0.05; done
  # Frozen at the second note of eight, the run is cut short in the middle;
  # frozen at the only note, it ends the piece and waits for the device.
  for case in INT:8 TERM:8 HUP:1 QUIT:1; do
    IFS=: read -r signal notes <<<"$case"
    rm -f "$tmp/trace"
    PULSE_SERVER="unix:$tmp/native" VELK0_TRACE="$tmp/trace" "$velk0" "t200 o3 $(head -c "$notes" <<<cdefgabc)" \
      </dev/null >/dev/null 2>"$tmp/err" &
    pid=$!
    for _ in $(seq 200); do
      [[ $(grep -cE '"bytes":\[1(4[4-9]|5[0-9]),' "$tmp/trace" 2>/dev/null) -ge $((notes > 1 ? 2 : 1)) ]] && break
      sleep 0.05
    done
    kill -STOP "$server_pid"
    sleep 1.5
    kill -0 "$pid" 2>/dev/null || fail "live $signal: the run did not wait on the frozen server"
    sent=$(date +%s%N)
    kill "-$signal" "$pid"
    wait_for_end "$pid"
    kill -CONT "$server_pid"
    [[ $code -eq $((128 + $(kill -l "$signal"))) ]] || fail "live $signal: exit code $code"
    ((elapsed_ms < 2000)) || fail "live $signal: the run ended $elapsed_ms ms after the signal"
  done
else
  not_checked "a server frozen while a piece plays: pulseaudio is not installed" \
    "(scripts/install-deps.sh --tests)"
fi

# Memory: from too little to start at all to enough to play, the run either
# plays, says memory ran out, or cannot even load its libraries: with no
# output, the system's (SDL's dummy driver, which needs more: thread stacks),
# a WAV file, a MIDI file (no SoundFont read), and the runs that look for the
# sequencer's ports (kalvesta's list, a port's number), whose client libraries
# crash when memory is refused them. A file output reads the SoundFont as no
# output does. Small steps from where the libraries load to where the
# SoundFont is read (of 1 MB where the ports are looked for: the windows of
# those faults are narrow), then a few larger limits.
# Address space limits mean nothing to a build with AddressSanitizer, which
# reserves terabytes of it: there the rest passes alone, and the builds
# without it (dev, ci) check the limits. (Not grep -q: ldd could then write to
# a closed pipe, and pipefail would take that for no match.)
if ldd "$velk0" | grep libasan >/dev/null; then
  echo "memory limits: checked by the builds without AddressSanitizer"
  passed
  exit 0
fi
kalvesta=$(dirname "$velk0")/kalvesta
out_of_memory="mémoire insuffisante"
said=0
while IFS='|' read -r label step output program arguments; do
  played=0
  for mb in 24 $(seq 28 "$step" 64) 96 128 192 256; do
    code=0
    # shellcheck disable=SC2086 # the arguments are words
    env VELK0_AUDIO="$output" SDL_AUDIODRIVER=dummy VELK0_CLOCK=virtual timeout 20 \
      prlimit --as=$((mb << 20)) "${!program}" $arguments </dev/null >/dev/null \
      2>"$tmp/err" || code=$?
    case $code in
      0) [[ ! -s $tmp/err ]] || fail "$label under $mb MB: $(cat "$tmp/err")"; played=1 ;;
      1) grep -q "$out_of_memory" "$tmp/err" || fail "$label under $mb MB: $(cat "$tmp/err")"
         said=1 ;;
      127) grep -q "error while loading shared libraries" "$tmp/err" ||
        fail "$label under $mb MB: code 127" ;;
      *) fail "$label under $mb MB: exit code $code $(cat "$tmp/err")" ;;
    esac
  done
  ((played)) || fail "$label never played, even under 256 MB"
done <<CASES
no output|2|none|velk0|o3cde
system output|2||velk0|o3cde
WAV file|2|$tmp/out.wav|velk0|o3cde
MIDI file|2|$tmp/out.mid|velk0|o3cde
kalvesta's list|1||kalvesta|
a port's number|1|$tmp/out.wav|velk0|#m1 o3cde
CASES
((said)) || fail "the limits tried never ran out of memory"
passed
