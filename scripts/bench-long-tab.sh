#!/usr/bin/env bash
# Measures how long tablature files play under the virtual clock with no
# audio: the time and memory of the whole run and the note-ons it sends,
# counted in the trace, against the notes the file holds. Builds the release
# preset first unless an executable is given. Not part of the tests:
#   scripts/bench-long-tab.sh [VELK0]
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/bench-lib.sh
bench_setup "${1:-}"

# Lines of `pad` characters of lyrics, after an optional key signature; one
# line in `every` begins with a measure of eight short notes (tempo 239,
# value 99: 10 ms a note, so that the synthesizer's work stays small).
make_file() { # name lines pad every [key signature]
  awk -v lines="$2" -v pad="$3" -v every="$4" -v key="${5:-}" 'BEGIN {
    words = ""
    while (length(words) < pad) words = words "la "
    printf "%st239 99 o3\n", key
    for (k = 0; k < lines; k++) {
      if (k % every == 0) printf "c d e f g a b >c |"
      if (pad > 0) printf " ip%s:", words
      printf "\n"
    }
  }' >"$work/$1"
}

make_file 800.tab 100 0 1
make_file 800-key.tab 100 0 1 'iaf+c+g+:'
make_file 3000-key.tab 375 0 1 'iaf+c+g+:'
make_file 50000.tab 6250 0 1
make_file 4mb.tab 1000 4000 1
make_file 40mb.tab 10000 4000 1
make_file 4mb-800.tab 10000 400 100
make_file 40mb-8000.tab 100000 400 100

printf '%-15s %11s %8s %9s %9s %8s\n' file bytes notes note-ons seconds "max MB"
for name in 800.tab 800-key.tab 3000-key.tab 50000.tab 4mb.tab 40mb.tab 4mb-800.tab 40mb-8000.tab; do
  file=$work/$name
  measures=$(grep -c '|' "$file")
  (cd "$work" && VELK0_ROOT=$work VELK0_CLOCK=virtual VELK0_AUDIO=none VELK0_TRACE=$work/trace \
    /usr/bin/time -f '%e %M' -o "$work/time" "$velk0" "$name" </dev/null >/dev/null 2>&1)
  read -r seconds kilobytes <"$work/time"
  note_ons=$(grep -c '"bytes":\[145,' "$work/trace" || true)
  printf '%-15s %11d %8d %9d %9s %8d\n' "$name" "$(stat -c %s "$file")" $((measures * 8)) \
    "$note_ons" "$seconds" $((kilobytes / 1024))
done
