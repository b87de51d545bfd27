#!/usr/bin/env bash
# The embedded synthesizer's sound: a WAV file rendered in step with the clock
# (at full speed on the virtual clock, in real time otherwise) that ends once
# the last note has died away, a silent run that takes no real time, and, when
# nothing can sound, the program's own message with one line that says why.
source "$(dirname "$0")/lib.sh"
measure_with_soundfont "$2"

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

# Largest sample magnitude of a WAV file, from its frame `from` on.
wav_peak() {
  od -An -td2 -v -w2 -j$((44 + 4 * ${2:-0})) "$1" \
    | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }'
}

# Eight quarter notes at tempo 60 on the virtual clock: 8 s of notes, then the
# last one's release, ending below -90 dBFS within 5 s, without clipping.
start=$(date +%s%N)
VELK0_CLOCK=virtual VELK0_AUDIO="$tmp/scale.wav" "$velk0" "o3 c d e f g a b >c" \
  </dev/null >"$tmp/out" 2>"$tmp/err" || fail "exit code $?"
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
frames=$(wav_frames "$tmp/scale.wav")
[[ $frames -gt $((8 * 44100)) && $frames -le $((13 * 44100)) ]] \
  || fail "8 s and a release expected, $frames frames"
peak=$(wav_peak "$tmp/scale.wav")
[[ $peak -gt 400 && $peak -lt 32767 ]] || fail "peak $peak: silent or clipped"
peak=$(wav_peak "$tmp/scale.wav" $((frames - 441)))
[[ $peak -le 1 ]] || fail "the file ends at $peak, not below -90 dBFS"
[[ $elapsed_ms -lt 5000 ]] || fail "an 8 s piece took $elapsed_ms ms on the virtual clock"
[[ ! -s "$tmp/err" ]] || fail "standard error: $(cat "$tmp/err")"

# On the real clock the file follows real time.
VELK0_AUDIO="$tmp/real.wav" "$velk0" "o3 c d e" </dev/null >/dev/null 2>"$tmp/err" \
  || fail "exit code $?"
frames=$(wav_frames "$tmp/real.wav")
[[ $frames -ge $((3 * 44100)) && $frames -le $((8 * 44100)) ]] \
  || fail "about 3 s and a release expected on the real clock, $frames frames"

# A MIDI file: a note, a second's rest, a note, then three seconds with
# nothing more before its end. The rest stays; the file ends with the last
# note's release, as after a tablature, not with the time that followed.
{
  printf 'MThd\0\0\0\6\0\0\0\1\1\340MTrk\0\0\0\x18\0\x90\x3c\x64\x83\x60\x80\x3c\0'
  printf '\x87\x40\x90\x40\x64\x83\x60\x80\x40\0\x96\x40\xff\x2f\0'
} >"$tmp/rest.mid"
VELK0_CLOCK=virtual VELK0_AUDIO="$tmp/rest.wav" VELK0_ANSWERS=a "$velk0" "$tmp/rest.mid" \
  </dev/null >/dev/null 2>"$tmp/err" || fail "exit code $?"
frames=$(wav_frames "$tmp/rest.wav")
[[ $frames -gt $((2 * 44100)) && $frames -lt $((4 * 44100)) ]] \
  || fail "2 s and a release expected, $frames frames"
[[ $(wav_peak "$tmp/rest.wav" $((frames - 441))) -le 1 ]] || fail "the file ends on sound"
[[ $(wav_peak "$tmp/rest.wav" $((frames - 882))) -ge 1 ]] || fail "more than 10 ms of silence at the end"
# (1.2 s to 1.48 s: the rest, once the first note has faded.)
rest=$(od -An -td2 -v -w2 -j$((44 + 4 * 52920)) -N$((4 * 12348)) "$tmp/rest.wav" \
  | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }')
[[ $rest -lt 50 && $(wav_peak "$tmp/rest.wav" $((3 * 22050))) -gt 400 ]] \
  || fail "the rest inside the piece is gone (peak $rest within it)"

# Sound cues in a WAV render, where they sound in a live run, at their own
# level, resampled from 22,050 Hz: @pt's cue after its last box, a wave file
# named by $nom.wav after a tablature's two seconds, over the release of its
# last note, and one given as an argument, before its box. The render's left
# channel, every other frame, less that of the same run without the cue
# (when music sounds under it), follows the cue.
mkdir -p "$tmp/kt3/wav"
# Renders the run with the remaining arguments into $1 (an empty file with none).
render() {
  local out=$1
  shift
  : >"$out"
  [[ $# -eq 0 ]] || VELK0_CLOCK=virtual VELK0_AUDIO="$out" VELK0_ANSWERS=$answers "$velk0" "$@" \
    </dev/null >/dev/null 2>"$tmp/err" || fail "$*: exit code $?"
}
# The left channel of a render from frame $at_frame on, one sample a line.
left() { [[ ! -s $1 ]] || od -An -td2 -v -w8 -j$((44 + 4 * at_frame)) "$1" | awk '{ print $1 }'; }
while IFS='|' read -r answers at_frame arguments without; do
  eval "with=($arguments) without=($without)"
  render "$tmp/cue.wav" "${with[@]}"
  render "$tmp/bare.wav" "${without[@]}"
  cp "$tmp/korvane/edition.wav" "$tmp/kt3/wav/bonjour.wav"  # made by the first run
  paste <(od -An -td2 -v -w2 -j44 "$tmp/korvane/edition.wav") <(left "$tmp/cue.wav") \
    <(left "$tmp/bare.wav") \
    | awk -F'\t' '$1 != "" && $2 != "" { y = $2 - $3; xy += $1 * y; xx += $1 * $1; yy += y * y }
           END { exit !(xy / sqrt(xx * yy) > 0.99 && yy / xx > 0.95 && yy / xx < 1.05) }' \
    || fail "$arguments: the cue is not at frame $at_frame"
done <<'CASES'
nnnn|0|@pt|
|88200|"o3 c d" '$bonjour.wav'|"o3 c d"
n|0|"$tmp/kt3/wav/bonjour.wav"|
CASES

# No output at all: thirty-two seconds of music in a moment, nothing printed.
start=$(date +%s%N)
VELK0_CLOCK=virtual VELK0_AUDIO=none "$velk0" "o3 c d e f g a b >c d e f g a b >c" \
  "o3 c d e f g a b >c d e f g a b >c" </dev/null >"$tmp/out" 2>"$tmp/err" \
  || fail "exit code $?"
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
[[ $elapsed_ms -lt 10000 ]] || fail "32 s of music took $elapsed_ms ms with no output"
[[ ! -s "$tmp/out" && ! -s "$tmp/err" ]] || fail "printed: $(cat "$tmp/out" "$tmp/err")"

# When the synthesizer cannot play, the program says so in its box; one line
# on standard error, and nothing from the libraries, says why and what to do.
cannot_play() {
  local why=$1 way_out=$2 code=0 expected_code=0
  shift 2
  # A sound file asked for and not made fails the run.
  [[ $* == *VELK0_AUDIO=*.wav* ]] && expected_code=1
  env VELK0_TRACE="$tmp/trace" "$@" "$velk0" "c d e" </dev/null >"$tmp/out" 2>"$tmp/err" \
    || code=$?
  [[ $code -eq $expected_code ]] || fail "$why: exit code $code"
  grep -qx "votre environnement ne supporte pas ce midi mapper" "$tmp/out" \
    || fail "$why: message missing: $(cat "$tmp/out")"
  [[ $(wc -l <"$tmp/err") -eq 1 ]] && grep -q "^velk0 : $why.*$way_out" "$tmp/err" \
    || fail "$why: standard error: $(cat "$tmp/err")"
  if grep -q '"bytes":\[14[0-9]' "$tmp/trace"; then fail "$why: notes were sent"; fi
}
cannot_play "banque de sons (SoundFont) introuvable : /nonexistent/gm.sf2" \
  "VELK0_SOUNDFONT=.*timgm6mb-soundfont" VELK0_SOUNDFONT=/nonexistent/gm.sf2 VELK0_AUDIO=none
cannot_play "banque de sons (SoundFont) illisible : /etc/hostname" \
  "VELK0_SOUNDFONT=.*fluid-soundfont-gm" VELK0_SOUNDFONT=/etc/hostname VELK0_AUDIO=none
cannot_play "impossible d'écrire le fichier audio $tmp/none/out.wav" "VELK0_AUDIO=fichier.wav" \
  VELK0_AUDIO="$tmp/none/out.wav"
cannot_play "aucun serveur de son joignable" "VELK0_AUDIO=fichier.wav" \
  SDL_AUDIODRIVER=pulseaudio PULSE_SERVER=unix:/nonexistent/pulse
echo "ok"
