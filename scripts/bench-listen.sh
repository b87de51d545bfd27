#!/usr/bin/env bash
# Measures velk0-ecoute: from the last key of a chord to its line, and the
# thru from a note-on on its JACK input to a JACK output port, to the first
# sound of the embedded synthesizer's live output (SDL, into a null sink) and
# into a WAV file, median and worst over 200 notes (scripts/bench_listen.py
# says how each is taken). Builds the release preset first, and runs a dummy
# JACK server of its own (period: 256 frames at 48 kHz, 5.3 ms, or the first
# argument). Nothing here is timed by the tests; run it by hand:
#   scripts/bench-listen.sh [PERIOD] [SOUNDFONT.sf2]
set -euo pipefail
cd "$(dirname "$0")/.."
period=${1:-256}
soundfont=${2:-/usr/share/sounds/sf2/TimGM6mb.sf2}

scripts/install-deps.sh --bench
cmake --preset release >/dev/null
cmake --build --preset release -j2 >/dev/null

# The test helpers' JACK server ($tmp is theirs, $work the sound server's).
source tests/e2e/lib.sh build/release/velk0
work=$tmp
cleanup() {
  null_sink_cleanup
  stop_jack_server
  rm -rf "$tmp"
}
trap cleanup EXIT
find_jack_python
start_jack_server "$period" 1800
source scripts/null-sink.sh

"$python" scripts/bench_listen.py --ecoute build/release/velk0-ecoute \
  --kalvesta build/release/kalvesta --source "$source" --soundfont "$soundfont"
