# What the benchmarks share, sourced by them: the executable to measure (the
# one given, else the release preset's, built first) in $velk0, and a scratch
# folder, removed at the end, in $work.
bench_setup() {
  velk0=${1:-}
  if [[ -z $velk0 ]]; then
    cmake --preset release >/dev/null
    cmake --build --preset release -j2 >/dev/null
    velk0=build/release/velk0
  fi
  velk0=$(realpath "$velk0")
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
}
