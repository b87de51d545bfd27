#!/usr/bin/env bash
# Builds the 32-bit Windows program and runs the Windows tests under Wine: the
# unit tests, the tests of the Windows backends, and the end-to-end runs of
# velk0.exe (real message boxes on a private Xvfb display, answered by
# keystrokes; a dry run through the trace). Needs no display and no input.
#
# The 32-bit Wine loader is itself a 32-bit Linux program. On a machine whose
# kernel does not run 32-bit x86 code, the 32-bit build is still made in full,
# and the tests run on the 64-bit Windows build of the same sources, under the
# 64-bit loader; this is said plainly in the output. The same goes for the
# Windows installer (NSIS) and the ZIP archive: the 32-bit ones are always
# built; where the 32-bit installer cannot run, the 64-bit build's installer
# is tested in its place.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
runner=cmake/wine-run.sh
# Wine on this kind of machine now and then fails a program at start or at
# exit (status 1 before the first box, or a kill after the last test passed)
# when several run at once: a failed test is run once more before it counts
# as failed. (One at a time is no cure: each program then waits some ten
# seconds for the Wine session, and the run takes twelve minutes.)
wine_ctest=(-j"$jobs" --repeat until-pass:2 --output-on-failure)

sessions=()
trap 'for p in "${sessions[@]}"; do "$runner" --prefix="$p" --stop; done' EXIT

command -v makensis >/dev/null || {
  echo "The Windows installer needs makensis (Debian package nsis)." >&2
  exit 1
}

echo "== windows: 32-bit build (i686-w64-mingw32)"
cmake --preset windows >/dev/null
if "$runner" --prefix=build/windows/wine --can-run-arch i386; then
  cmake --build --preset windows -j"$jobs"
  sessions+=(build/windows/wine)
  # The packages are built by the test of the installer.
  ctest --preset windows "${wine_ctest[@]}"
  exit 0
fi
# The tests cannot run here: the 32-bit programs and packages are built all
# the same (so the 32-bit build is always known to compile), their tests are not.
cmake --build --preset windows -j"$jobs" --target velk0_programs velk0_data_folder
(cd build/windows && cpack -G "NSIS;ZIP" >/dev/null) || {
  echo "cpack could not build the 32-bit Windows packages" >&2
  exit 1
}
echo "== windows: 32-bit packages $(cd build/windows && echo velk0-*-win32.exe velk0-*-win32.zip)"

"$runner" --prefix=build/windows/wine --why-not i386 || true
echo "== windows: the 32-bit tests and the run of the 32-bit installer are left out: they cannot"
echo "   run on this machine; running the tests, the installer's too, on the 64-bit build of"
echo "   the same sources under the 64-bit Wine loader instead"
if ! "$runner" --prefix=build/windows64/wine --can-run-arch amd64; then
  "$runner" --prefix=build/windows64/wine --why-not amd64 || true
  echo "The Windows tests need Wine's 64-bit loader here (Debian package wine64) and the" >&2
  echo "64-bit cross compiler (g++-mingw-w64-x86-64)." >&2
  exit 1
fi
cmake -S . -B build/windows64 --toolchain cmake/mingw-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVELK0_WERROR=ON >/dev/null
cmake --build build/windows64 -j"$jobs"
sessions+=(build/windows64/wine)
ctest --test-dir build/windows64 "${wine_ctest[@]}"
