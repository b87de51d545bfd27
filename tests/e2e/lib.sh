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
