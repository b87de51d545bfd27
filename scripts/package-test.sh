#!/usr/bin/env bash
# Builds the Debian package from a release build (the preset given, by
# default release), judges it with lintian where lintian is installed,
# installs it, checks that the programs and their manual pages are where a
# user looks for them, removes it and checks that nothing is left. Needs root
# (or sudo without a password); says so and skips otherwise (status 77, as a
# skipped test: never 0), as it does after its other checks when lintian is
# missing.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo -n)
if ! "${sudo[@]}" true 2>/dev/null; then
  echo "package: skipped, installing a package needs root or sudo"
  exit 77
fi
if dpkg-query -W -f='${Status}' velk0 2>/dev/null | grep -q "install ok installed"; then
  echo "package: skipped, a velk0 package is already installed on this machine"
  exit 77
fi
fail() { echo "ÉCHEC (paquet) : $*" >&2; exit 1; }

preset=${1:-release}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)" >/dev/null
rm -f "build/$preset"/velk0_*.deb
(cd "build/$preset" && cpack -G DEB >/dev/null 2>&1) || fail "cpack cannot build the package"
deb=$(ls "build/$preset"/velk0_*.deb)
judged=1
if command -v lintian >/dev/null; then
  verdict=$(lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>&1) \
    || fail "lintian: $verdict"
else
  judged=
fi

"${sudo[@]}" dpkg -i "$deb" >/dev/null
trap '"${sudo[@]}" dpkg -r velk0 >/dev/null 2>&1 || true' EXIT
programs=$(dpkg -L velk0 | grep '^/usr/bin/')
[[ -n $programs ]] || fail "no program in /usr/bin"
for program in $programs; do
  name=$(basename "$program")
  [[ -x $program ]] || fail "$program is not executable"
  gzip -t "/usr/share/man/man1/$name.1.gz" 2>/dev/null || fail "no manual page for $name"
done
# What opens MIDI files and tablatures from the file manager.
for file in applications/velk0.desktop applications/velk0-ecoute.desktop \
  icons/hicolor/scalable/apps/velk0.svg mime/packages/velk0.xml; do
  [[ -s /usr/share/$file ]] || fail "no /usr/share/$file"
done
out=$(VELK0_CLOCK=virtual VELK0_AUDIO=none VELK0_TRACE=- VELK0_ROOT=$(mktemp -d) \
  /usr/bin/velk0 "o3 c" </dev/null 2>&1) || fail "the installed velk0 fails: $out"
grep -q '"bytes":\[145,36,127\]' <<<"$out" || fail "the installed velk0 plays no c: $out"

"${sudo[@]}" dpkg -r velk0 >/dev/null
trap - EXIT
for program in $programs; do [[ ! -e $program ]] || fail "$program left after removal"; done
[[ ! -e /usr/share/doc/velk0 ]] || fail "/usr/share/doc/velk0 left after removal"
[[ ! -e /usr/share/applications/velk0.desktop ]] || fail "the desktop entry left after removal"
echo "package: $(basename "$deb") installs, runs and removes cleanly"
[[ -n $judged ]] || {
  echo "package: skipped, not judged: lintian is not installed (scripts/install-deps.sh --tests)"
  exit 77
}
