#!/usr/bin/env bash
# Installs what is missing, builds velk0 and plays a tablature (by default a
# C major scale) through the embedded synthesizer. Any arguments are passed
# to velk0 instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" >/dev/null
if [[ $# -eq 0 ]]; then set -- "o3 c d e f g a b >c"; fi
exec build/release/velk0 "$@"
