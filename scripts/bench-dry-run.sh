#!/usr/bin/env bash
# Measures a dry run (virtual clock, no audio) of a .tab file of 50,000 notes:
# the seconds it takes and the notes it plays. Builds the release preset first
# unless a velk0 is given. Nothing here is timed by the tests; run it by hand:
#   scripts/bench-dry-run.sh [PATH/TO/velk0]
set -euo pipefail
cd "$(dirname "$0")/.."
velk0=${1:-}
if [[ -z $velk0 ]]; then
  cmake --preset release >/dev/null
  cmake --build --preset release -j2 >/dev/null
  velk0=build/release/velk0
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
awk 'BEGIN { srand(1); for (i = 0; i < 50000; i++) printf "%s ", substr("cdefgab", int(rand() * 7) + 1, 1) }' \
  >"$tmp/notes.tab"
start=$(date +%s%N)
VELK0_ROOT=$tmp VELK0_CLOCK=virtual VELK0_AUDIO=none VELK0_TRACE="$tmp/trace" \
  "$velk0" "$tmp/notes.tab" </dev/null >/dev/null
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
echo "50000 notes written, $(grep -cE '"bytes":\[1(4[4-9]|5[0-9]),[0-9]+,[1-9]' "$tmp/trace") played, in $((elapsed_ms / 1000)).$(printf '%03d' $((elapsed_ms % 1000))) s"
