#!/usr/bin/env bash
# Measures the sound of the embedded synthesizer: onset timing, level, the
# end of a WAV file, latency and memory, with each SoundFont installed (or the
# ones given as arguments). Builds the release preset first. Playback goes to
# a null sink, recorded from its monitor: on the sound server that runs, or on
# a PulseAudio server of its own when none answers (a machine without a sound
# card). With --load, also a 30-second piece played live while two busy
# processes of normal priority load the processors. Nothing here is timed by
# the tests; run it by hand:
#   scripts/bench-sound.sh [--runs N] [--latency-runs N] [--only CASE] [--load [--busy N]] [SOUNDFONT.sf2 ...]
set -euo pipefail
cd "$(dirname "$0")/.."

options=()
soundfonts=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --runs | --latency-runs | --only | --busy) options+=("$1" "$2"); shift 2 ;;
    --load) options+=("$1"); shift ;;
    *) soundfonts+=("$1"); shift ;;
  esac
done
if [[ ${#soundfonts[@]} -eq 0 ]]; then
  for sf in /usr/share/sounds/sf2/TimGM6mb.sf2 /usr/share/sounds/sf2/FluidR3_GM.sf2; do
    [[ -r $sf ]] && soundfonts+=("$sf")
  done
fi
[[ ${#soundfonts[@]} -gt 0 ]] || { echo "no SoundFont to measure" >&2; exit 1; }

scripts/install-deps.sh --bench
cmake --preset release >/dev/null
cmake --build --preset release -j2 >/dev/null

work=$(mktemp -d)
cleanup() {
  null_sink_cleanup
  rm -rf "$work"
}
trap cleanup EXIT
source scripts/null-sink.sh

args=(--velk0 build/release/velk0 --source "$source")
for sf in "${soundfonts[@]}"; do args+=(--soundfont "$sf"); done
python3 scripts/bench_sound.py "${args[@]}" "${options[@]}"
