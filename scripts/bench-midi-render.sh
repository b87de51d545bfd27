#!/usr/bin/env bash
# Measures how long MIDI files named as arguments take to render whole into
# a WAV file (on the virtual clock) and into a MIDI file: pieces of 1, 2 and
# 4 minutes of notes, 64 events a second, and a 6-minute piece of 7 MB (16
# tracks of notes with 400 expression changes a second each, as a recorded
# performance has them). Prints for each the bytes, the events, the seconds
# (elapsed and processor) and the peak memory of each render. Builds the
# release preset first unless an executable is given; BENCH_LIMIT (300 by
# default) is the longest a render may take. Not part of the tests:
#   scripts/bench-midi-render.sh [VELK0]
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/bench-lib.sh
bench_setup "${1:-}"

# make_file NAME SECONDS TRACKS NOTES CONTROLS: at 480 ticks a quarter note
# and 120 beats a minute, each track plays NOTES notes a second on its own
# channel (each held half the time to the next) and CONTROLS expression
# changes a second, in running status. Prints the events it holds.
make_file() {
  python3 - "$work/$1" "$2" "$3" "$4" "$5" <<'PY'
import struct, sys
path, seconds, tracks, notes, controls = sys.argv[1], *map(int, sys.argv[2:])
def quantity(v):
    out = [v & 0x7F]
    while v > 0x7F:
        v >>= 7
        out.append(0x80 | (v & 0x7F))
    return bytes(reversed(out))
chunks, count = [], 0
for t in range(tracks):
    ch = t % 16
    events = []
    for i in range(seconds * notes):
        key, at = 48 + (i * 5 + t) % 36, i * 960 // notes
        events += [(at, bytes([0x90 | ch, key, 80])), (at + 480 // notes, bytes([0x80 | ch, key, 0]))]
    for i in range(seconds * controls):
        events.append((i * 960 // controls, bytes([0xB0 | ch, 11, 64 + i % 64])))
    events.sort(key=lambda e: e[0])
    body, last, running = bytearray([0, 0xC0 | ch, t * 7 % 128]), 0, None
    for at, message in events:
        body += quantity(at - last) + (message[1:] if message[0] == running else message)
        last, running = at, message[0]
    body += b'\x00\xff\x2f\x00'
    chunks.append(b'MTrk' + struct.pack('>I', len(body)) + body)
    count += len(events)
open(path, 'wb').write(b'MThd' + struct.pack('>IHHH', 6, 1, tracks, 480) + b''.join(chunks))
print(count)
PY
}

# Runs one render, for at most $limit seconds; prints its elapsed and
# processor seconds and peak MB, or how long it ran before it was stopped.
limit=${BENCH_LIMIT:-300}
render() { # file output
  if ! (cd "$work" && VELK0_ROOT=$work VELK0_CLOCK=virtual VELK0_AUDIO=$work/$2 VELK0_ANSWERS=a \
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" timeout "$limit" "$velk0" "$1" \
    </dev/null >/dev/null 2>&1); then
    printf '%19s' "stopped after ${limit}"
    return
  fi
  read -r elapsed user system kilobytes <"$work/time"
  printf "%6s %6.2f %5d" "$elapsed" "$(awk "BEGIN { print $user + $system }")" $((kilobytes / 1024))
}

soundfont=${VELK0_SOUNDFONT:-/usr/share/sounds/sf2/default-GM.sf2}
echo "SoundFont: $(basename "$(realpath "$soundfont")")"
printf '%-12s %9s %8s | %-19s | %-19s\n' "" "" "" "into a WAV file" "into a MIDI file"
printf '%-12s %9s %8s | %6s %6s %5s | %6s %6s %5s\n' file bytes events s cpu MB s cpu MB
for spec in "1-minute 60 4 8 0" "2-minute 120 4 8 0" "4-minute 240 4 8 0" \
  "6-min-7mb 360 16 1 400"; do
  read -r name seconds tracks notes controls <<<"$spec"
  events=$(make_file "$name.mid" "$seconds" "$tracks" "$notes" "$controls")
  printf '%-12s %9d %8d | %s | %s\n' "$name" "$(stat -c %s "$work/$name.mid")" "$events" \
    "$(render "$name.mid" out.wav)" "$(render "$name.mid" out.mid)"
done
