#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the native release
# build, the same under AddressSanitizer and UndefinedBehaviorSanitizer, a
# bounded fuzzing run of the tablature readers, the Debian package installed
# and removed, and the 32-bit Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --tests
jobs=$(nproc)
# Each part says when it starts, counted from the start, so a slow part shows.
phase() { echo "== $1 (at ${SECONDS} s)"; }

# The release build is tested as it ships, and packaged from the same tree.
for preset in ci sanitize; do
  phase "$preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  ctest --preset "$preset" -j"$jobs"
done

phase fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs"
corpus=$(mktemp -d)
trap 'rm -rf "$corpus" "$corpus.log"' EXIT
cp tests/fuzz/corpus/* "$corpus"
if ! build/fuzz/velk0_fuzz_readers -max_total_time=60 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$corpus/" "$corpus" >"$corpus.log" 2>&1; then
  tail -40 "$corpus.log"
  echo "the fuzzing run of the tablature readers failed" >&2
  exit 1
fi
grep -E "^Done" "$corpus.log"

phase package
package=0
scripts/package-test.sh ci || package=$?
((package == 0 || package == 77)) || exit "$package"

phase windows
scripts/windows-tests.sh
if ((package == 77)); then
  phase "all passed but the package test, skipped (its reason is above)"
else
  phase "all passed"
fi
