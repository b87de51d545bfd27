#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the native build, the
# same under AddressSanitizer and UndefinedBehaviorSanitizer, and the 32-bit
# Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --windows
jobs=$(nproc)

for preset in dev sanitize; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  ctest --preset "$preset" -j"$jobs"
done

echo "== windows"
scripts/windows-tests.sh
