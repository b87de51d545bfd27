#!/usr/bin/env bash
# The embedded synthesizer's sound: a WAV file rendered in step with the clock
# (at full speed on the virtual clock, in real time otherwise), a silent run
# that takes no real time, and a missing SoundFont that leaves the program's
# own message and nothing else.
source "$(dirname "$0")/lib.sh"

# Frames in a 16-bit stereo WAV file, read from its data size; fails when the
# header's sizes disagree with the file's.
wav_frames() {
  local file=$1 size data riff
  size=$(stat -c %s "$file")
  riff=$(od -An -tu4 -j4 -N4 "$file" | tr -d ' ')
  data=$(od -An -tu4 -j40 -N4 "$file" | tr -d ' ')
  [[ $(head -c4 "$file") == RIFF && $(od -An -c -j8 -N4 "$file" | tr -d ' ') == WAVE ]] \
    || fail "$file is not a WAV file"
  [[ $data -eq $((size - 44)) && $riff -eq $((size - 8)) ]] \
    || fail "$file: sizes $riff/$data for $size bytes"
  echo $((data / 4))
}

# Largest sample magnitude of a WAV file.
wav_peak() {
  od -An -td2 -v -w2 -j44 "$1" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }'
}

# Eight quarter notes at tempo 60 on the virtual clock: exactly 8 s of sound.
start=$(date +%s%N)
VELK0_CLOCK=virtual VELK0_AUDIO="$tmp/scale.wav" "$velk0" "o3 c d e f g a b >c" \
  </dev/null >"$tmp/out" 2>"$tmp/err" || fail "exit code $?"
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
frames=$(wav_frames "$tmp/scale.wav")
[[ $frames -eq $((8 * 44100)) ]] || fail "8 s expected, $frames frames"
peak=$(wav_peak "$tmp/scale.wav")
[[ $peak -gt 400 ]] || fail "the file is silent (peak $peak)"
[[ $elapsed_ms -lt 5000 ]] || fail "an 8 s piece took $elapsed_ms ms on the virtual clock"
[[ ! -s "$tmp/err" ]] || fail "standard error: $(cat "$tmp/err")"

# On the real clock the file follows real time.
VELK0_AUDIO="$tmp/real.wav" "$velk0" "o3 c d e" </dev/null >/dev/null 2>"$tmp/err" \
  || fail "exit code $?"
frames=$(wav_frames "$tmp/real.wav")
[[ $frames -ge $((3 * 44100)) && $frames -le $((35 * 4410)) ]] \
  || fail "about 3 s expected on the real clock, $frames frames"

# No output at all: thirty-two seconds of music in a moment, nothing printed.
start=$(date +%s%N)
VELK0_CLOCK=virtual VELK0_AUDIO=none "$velk0" "o3 c d e f g a b >c d e f g a b >c" \
  "o3 c d e f g a b >c d e f g a b >c" </dev/null >"$tmp/out" 2>"$tmp/err" \
  || fail "exit code $?"
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
[[ $elapsed_ms -lt 10000 ]] || fail "32 s of music took $elapsed_ms ms with no output"
[[ ! -s "$tmp/out" && ! -s "$tmp/err" ]] || fail "printed: $(cat "$tmp/out" "$tmp/err")"

# Without its SoundFont the synthesizer cannot play: the program says so, and
# no library adds anything.
for soundfont in /nonexistent/gm.sf2 /etc/hostname; do
  VELK0_SOUNDFONT=$soundfont VELK0_AUDIO=none VELK0_TRACE="$tmp/trace" "$velk0" "c d e" \
    </dev/null >"$tmp/out" 2>"$tmp/err" || fail "exit code $?"
  grep -qx "votre environnement ne supporte pas ce midi mapper" "$tmp/out" \
    || fail "$soundfont: message missing: $(cat "$tmp/out")"
  [[ ! -s "$tmp/err" ]] || fail "$soundfont: standard error: $(cat "$tmp/err")"
  if grep -q '"bytes":\[14[0-9]' "$tmp/trace"; then fail "$soundfont: notes were sent"; fi
done
echo "ok"
