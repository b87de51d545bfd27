#!/usr/bin/env bash
# Faults around the sound. A sound server that never answers (a stopped
# process listening on its socket) does not keep a signal from ending the run
# within a second. Memory that runs out while the SoundFont is read ends the
# run with the line that says so and status 1: never a crash, never a hang.
source "$(dirname "$0")/lib.sh"
set -m

# The frozen server: it takes connections into its queue and never answers.
server="$tmp/pulse.sock"
perl -MIO::Socket::UNIX -e '
  my $s = IO::Socket::UNIX->new(Type => SOCK_STREAM(), Local => $ARGV[0], Listen => 16) or die;
  kill "STOP", $$; sleep 1000;' "$server" &
frozen=$!
trap '{ kill -KILL "$frozen" && wait "$frozen"; } 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 100); do [[ -S $server ]] && break; sleep 0.05; done
[[ -S $server ]] || fail "the frozen server did not start"

for signal in INT TERM HUP QUIT; do
  code=0
  PULSE_SERVER="unix:$server" SDL_AUDIODRIVER=pulseaudio VELK0_CLOCK=virtual \
    VELK0_TRACE="$tmp/trace" "$velk0" "o3 c d e" </dev/null >"$tmp/out" 2>"$tmp/err" &
  pid=$!
  # On a virtual clock the piece takes no time: a run still there waits on the server.
  sleep 0.5
  kill -0 "$pid" 2>/dev/null || fail "$signal: the run did not wait on the server: $(cat "$tmp/err")"
  sent=$(date +%s%N)
  kill "-$signal" "$pid"
  wait "$pid" || code=$?
  elapsed_ms=$((($(date +%s%N) - sent) / 1000000))
  [[ $code -eq $((128 + $(kill -l "$signal"))) ]] || fail "$signal: exit code $code"
  ((elapsed_ms < 1000)) || fail "$signal: the run ended $elapsed_ms ms after the signal"
  ! grep -q '"ev":"midi","device":0' "$tmp/trace" || fail "$signal: a note was sent"
done

# Memory: from too little to start at all to enough to play, the run either
# plays, says memory ran out, or cannot even load its libraries; a file
# output reads the SoundFont as no output does. Address space limits mean
# nothing to a build with AddressSanitizer.
if ldd "$velk0" | grep -q libasan; then
  echo "ok (memory limits skipped: sanitized build)"
  exit 0
fi
out_of_memory="mémoire insuffisante pour lire la banque de sons"
said=0 played=0
# The system's output (SDL's dummy driver) needs more: thread stacks.
for output in none:24:8:128 system:24:16:256; do
  IFS=: read -r output first step last <<<"$output"
  for mb in $(seq "$first" "$step" "$last"); do
    code=0
    env VELK0_AUDIO="${output/system/}" SDL_AUDIODRIVER=dummy VELK0_CLOCK=virtual \
      timeout 20 prlimit --as=$((mb << 20)) "$velk0" "o3 c d e" </dev/null >/dev/null \
      2>"$tmp/err" || code=$?
    label="$output under $mb MB"
    case $code in
      0) [[ ! -s $tmp/err ]] || fail "$label: $(cat "$tmp/err")"; played=1 ;;
      1) grep -q "$out_of_memory" "$tmp/err" || fail "$label: $(cat "$tmp/err")"; said=1 ;;
      127) grep -q "error while loading shared libraries" "$tmp/err" || fail "$label: code 127" ;;
      *) fail "$label: exit code $code $(cat "$tmp/err")" ;;
    esac
  done
done
((said && played)) || fail "the limits tried never ran out of memory, or never played"
echo "ok"
