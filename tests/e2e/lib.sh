# Shared by the end-to-end scripts: $velk0 is the executable under test, $tmp
# a scratch folder that stands for the drive root, removed at exit.
set -euo pipefail
velk0=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export VELK0_ROOT=$tmp
unset VELK0_ANSWERS VELK0_CLOCK VELK0_TRACE VELK0_AUDIO VELK0_SOUNDFONT
# No run here has a terminal attached: on a desktop its boxes would be dialogs.
export VELK0_DIALOGS=terminal

fail() {
  echo "ÉCHEC : $*" >&2
  exit 1
}

# Ends a script that cannot run here with ctest's skip code (77, see
# cmake/tests.cmake) and one line saying why: never as a pass.
skip() {
  echo "skipped: $*"
  exit 77
}

# A check that cannot be made here (a tool of scripts/install-deps.sh --tests
# missing) is noted and the script goes on; it then ends with `passed`, which
# says "ok" only when every check was made, and skips naming the ones that
# were not otherwise (a fault found by the others still fails the script).
unchecked=()
not_checked() { unchecked+=("$*"); }
passed() {
  ((${#unchecked[@]} == 0)) || skip "$(printf '%s; ' "${unchecked[@]}")the rest passed"
  echo "ok"
}

# A script that measures sound calls this with its second argument, the
# General MIDI SoundFont it measures with (it runs once with each, see
# cmake/tests.cmake), which velk0 then plays with; one that is not installed
# skips the test.
measure_with_soundfont() {
  [[ -r ${1:?} ]] || skip "$1 is not installed (scripts/install-deps.sh --tests installs it)"
  export VELK0_SOUNDFONT=$1
}

# Runs velk0 on a virtual clock with no audio, its trace in $tmp/trace.
dry_run() {
  VELK0_CLOCK=virtual VELK0_AUDIO=none VELK0_TRACE="$tmp/trace" "$velk0" "$@" </dev/null
}


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
end_process() {
  [[ -n $1 ]] || return 0
  ended_within "$2" "$1" || kill "$1" 2>/dev/null || true
  ended_within 50 "$1" || kill -KILL $(pgrep -P "$1") "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# A Python with the JACK client module, in $python, or the test is skipped.
find_jack_python() {
  command -v jackd >/dev/null || skip "jackd is not installed (scripts/install-deps.sh --tests)"
  python=
  for candidate in python3 /usr/bin/python3; do
    "$candidate" -c "import jack" 2>/dev/null && { python=$candidate; break; }
  done
  [[ -n $python ]] || skip "python3-jack-client is not installed (scripts/install-deps.sh --tests)"
}

# Starts a dummy JACK server of this run's own, its process in $jack_server,
# its period $1 frames (1024 by default), for $2 seconds at most (100 by
# default), or skips the test when none starts.
# The server has the first of four names that no running server holds, so
# that runs side by side never meet (a server that was killed leaves its
# entry in the registry, and the next server of its name takes it back). No
# real-time scheduling, so that any user can start it; each cycle waits for
# every client (-S), so that a client the busy machine runs late still reads
# what the cycle carried; no client starts a server of its own. It ends by
# itself, should the test be killed. Stop it with stop_jack_server once every
# client of the test has left, so that it frees its entry in JACK's registry
# of servers (eight entries for the whole machine).
start_jack_server() {
  export JACK_NO_START_SERVER=1
  jack_server=''
  local slot
  for slot in 1 2 3 4; do
    export JACK_DEFAULT_SERVER=velk0-e2e-$slot
    : >"$tmp/jackd.log"
    timeout "${2:-100}" jackd -r -S -t 5000 -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 \
      -p "${1:-1024}" \
      >"$tmp/jackd.log" 2>&1 &
    jack_server=$!
    for _ in $(seq 100); do
      grep -q "server starting" "$tmp/jackd.log" && break
      kill -0 "$jack_server" 2>/dev/null || break
      sleep 0.1
    done
    grep -q "server already active" "$tmp/jackd.log" || break
    wait "$jack_server" || true
    jack_server=''
  done
  if [[ -z $jack_server ]] || ! kill -0 "$jack_server" 2>/dev/null ||
    ! timeout 15 jack_wait -w -t 10 >/dev/null 2>&1 || ! kill -0 "$jack_server" 2>/dev/null; then
    skip "no JACK server starts here: $(grep -v -i 'copyright\|warranty\|free software\|conditions' \
      "$tmp/jackd.log" | tr '\n' ' ')"
  fi
}

stop_jack_server() {
  end_process "${jack_server:-}" 0
}
