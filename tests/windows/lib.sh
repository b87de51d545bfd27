# Shared by the end-to-end tests of velk0.exe under Wine. Each script is run
# as:  bash SCRIPT RUNNER... EXE   where RUNNER is the command that runs a
# Windows program (cmake/wine-run.sh with its prefix) and EXE is velk0.exe.
# shellcheck shell=bash

set -u

if [ $# -lt 2 ]; then
  echo "usage: $0 RUNNER... velk0.exe" >&2
  exit 2
fi
exe=$(realpath "${!#}")
runner=("${@:1:$#-1}")
[[ "${runner[0]}" == */* ]] && runner[0]=$(realpath "${runner[0]}")

work=$(mktemp -d)
xvfb_pid=
program_pid=
failures=0
drive_links=()

cleanup() {
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    kill "$program_pid" 2>/dev/null
    wait "$program_pid" 2>/dev/null
  fi
  if [ -n "$xvfb_pid" ]; then
    # The Wine session is bound to this display: end it with the display.
    "${runner[@]}" --stop
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  local link
  for link in "${drive_links[@]}"; do rm -f "$link"; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    for f in "$work"/stdout "$work"/stderr "$work"/trace.jsonl; do
      [ -s "$f" ] && { echo "--- $(basename "$f")" >&2; tr -d '\r' <"$f" >&2; }
    done
    exit 1
  fi
  echo "all checks passed"
  exit 0
}

# A private X server, so that the boxes never land on a developer's screen.
start_display() {
  for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
  done
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local i
  for i in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$work/display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
  fi
  export DISPLAY=":$(head -1 "$work/display")"
  # A Wine session keeps the display its first program had; one that earlier
  # tests started with no display cannot show a box.
  "${runner[@]}" --stop
}

# Starts velk0.exe in the background with the given arguments; boxes are real
# (no VELK0_ANSWERS), and the trace goes to $work/trace.jsonl.
start_program() {
  env -u VELK0_ANSWERS -u VELK0_CLOCK VELK0_TRACE="$work/trace.jsonl" \
    "${runner[@]}" "$exe" "$@" </dev/null >"$work/stdout" 2>"$work/stderr" &
  program_pid=$!
}

# Gives the Wine session a drive K: on $work/root and goes there, so that the
# data folder \korvane\ of the programs started from here is $root/korvane
# (from any other folder it would be at the root of this machine).
use_scratch_drive() {
  root="$work/root"
  mkdir -p "$root/korvane"
  local prefix_root= arg dir
  for arg in "${runner[@]}"; do
    case $arg in --prefix=*) prefix_root=$(realpath -m "${arg#--prefix=}") ;; esac
  done
  [ -n "$prefix_root" ] || { echo "no Wine prefix in: ${runner[*]}" >&2; exit 1; }
  # The prefix is made by the first program run in it: kalvesta's list,
  # which writes nothing (velk0.exe would make \korvane\ at this machine's root).
  "${runner[@]}" "$(dirname "$exe")/kalvesta.exe" </dev/null >/dev/null 2>&1
  for dir in "$prefix_root"/win32 "$prefix_root"/win64; do
    [ -d "$dir/dosdevices" ] || continue
    rm -f "$dir/dosdevices/k:"
    ln -s "$root" "$dir/dosdevices/k:"
    drive_links+=("$dir/dosdevices/k:")
  done
  [ ${#drive_links[@]} -gt 0 ] || { echo "no Wine prefix under $prefix_root" >&2; exit 1; }
  cd "$root" || exit 1
}

# Waits for the next box and sets $box_title to its title.
next_box_title() {
  local deadline=$((SECONDS + 90)) line
  box_title=
  while [ $SECONDS -lt $deadline ]; do
    line=$(visible_windows | head -1)
    if [ -n "$line" ]; then
      box_title=${line#* }
      return 0
    fi
    kill -0 "$program_pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

# Names of the visible top-level windows, one "ID NAME" a line.
visible_windows() {
  local id
  for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
    echo "$id $(xdotool getwindowname "$id" 2>/dev/null)"
  done
}

# Waits for the next box, which must be titled $1, and answers it with the
# key $2 (Return by default). The caption is checked as the window title,
# that is after Windows has converted it from the ANSI code page.
answer_box() {
  local expected=$1 key=${2:-Return} deadline=$((SECONDS + 90)) id= name= line
  while [ $SECONDS -lt $deadline ]; do
    while read -r line; do
      [ -n "$line" ] || continue
      id=${line%% *}
      name=${line#* }
      break
    done < <(visible_windows)
    [ -n "$id" ] && break
    kill -0 "$program_pid" 2>/dev/null || { fail "the program ended before the box \"$expected\""; return 1; }
    sleep 0.2
  done
  if [ -z "$id" ]; then
    fail "no box \"$expected\" within 90 s"
    return 1
  fi
  if [ "$name" != "$expected" ]; then
    fail "box titled \"$name\", expected \"$expected\""
  fi
  # Answer by keystroke on the focused box; send again if it was not taken.
  local tries
  for tries in 1 2 3 4 5; do
    xdotool windowfocus --sync "$id" key "$key" 2>/dev/null
    local i
    for i in $(seq 20); do
      xdotool getwindowname "$id" >/dev/null 2>&1 || return 0
      xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$id" || return 0
      sleep 0.1
    done
  done
  fail "the box \"$expected\" did not close on $key"
  return 1
}

# Waits for the program to end and sets $status to its exit code.
wait_program() {
  local deadline=$((SECONDS + ${1:-60}))
  while kill -0 "$program_pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
    if [ -n "$(visible_windows)" ]; then
      fail "an unexpected box: $(visible_windows | head -1 | cut -d' ' -f2-)"
      xdotool search --onlyvisible --name '.' 2>/dev/null | head -1 |
        xargs -r -I{} xdotool windowfocus --sync {} key Return 2>/dev/null
    fi
    sleep 0.2
  done
  if kill -0 "$program_pid" 2>/dev/null; then
    fail "the program did not end"
    status=
    return 1
  fi
  wait "$program_pid"
  status=$?
  program_pid=
}

# The lines of the trace, carriage returns and times dropped.
trace_lines() {
  tr -d '\r' <"$work/trace.jsonl" 2>/dev/null | sed -E 's/^\{"t":[0-9]+,/{/'
}

# A text as a JSON string literal (for texts without control characters).
json() {
  local s=${1//\\/\\\\}
  s=${s//\"/\\\"}
  printf '"%s"' "$s"
}
