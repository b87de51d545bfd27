#!/usr/bin/env bash
# Files named on the command line, with the real backends: a MIDI file made
# here, rendered by the embedded synthesizer into a WAV file for its whole
# length; files that are no MIDI files refused with the program's own box,
# at once.
source "$(dirname "$0")/lib.sh"
measure_with_soundfont "$2"
cd "$tmp"

# Four quarter notes at 120 beats a minute (the default tempo): 2 s.
{
  printf 'MThd\0\0\0\6\0\0\0\1\1\340MTrk\0\0\0\x28'
  for note in 3c 40 43 48; do printf "\0\x90\x$note\x64\x83\x60\x80\x$note\0"; done
  printf '\0\xff\x2f\0'
} >song.mid

# Largest sample magnitude of a 16-bit stereo WAV file between two times (ms).
wav_peak() {
  od -An -td2 -v -w2 -j$((44 + $2 * 441 / 10 * 4)) -N$((($3 - $2) * 441 / 10 * 4)) "$1" |
    awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }'
}

VELK0_CLOCK=virtual VELK0_AUDIO="$tmp/song.wav" VELK0_ANSWERS=a VELK0_TRACE="$tmp/trace" \
  "$velk0" song.mid </dev/null >out 2>err || fail "exit code $?"
[[ ! -s err ]] || fail "standard error: $(cat err)"
steps=$(grep -o '"op":"[a-z]*"' trace | tr -d '"' | sed 's/op://' | paste -sd' ')
[[ $steps == "open status play close" ]] || fail "media steps: $steps"
grep -q '"type":"sequencer","path":"song.mid"' trace || fail "the sequencer was not opened on song.mid"
data=$(od -An -tu4 -j40 -N4 song.wav | tr -d ' ')
[[ $data -ge $((2 * 44100 * 4)) ]] || fail "the WAV file holds $((data / 4)) frames, less than 2 s"
for at in 0 500 1000 1500; do
  peak=$(wav_peak song.wav $at $((at + 400)))
  [[ $peak -gt 400 ]] || fail "no sound at $at ms (peak $peak)"
done

# Paused, resumed, paused and resumed, started again, paused, resumed and
# stopped: into a WAV file, and live (on SDL's silent driver, which needs no
# sound card). Every step reaches the sequencer, and nothing breaks.
for audio in "$tmp/again.wav" live; do
  if [[ $audio == live ]]; then audio_env=(SDL_AUDIODRIVER=dummy); else audio_env=(VELK0_AUDIO="$audio"); fi
  env "${audio_env[@]}" VELK0_CLOCK=virtual VELK0_ANSWERS=oooonooa VELK0_TRACE="$tmp/trace" \
    "$velk0" song.mid </dev/null >out 2>err || fail "$audio: exit code $?"
  [[ ! -s err ]] || fail "$audio: standard error: $(cat err)"
  steps=$(grep -o '"op":"[a-z]*"' trace | tr -d '"' | sed 's/op://' | paste -sd' ')
  [[ $steps == "open status play pause resume pause resume seek play pause resume close" ]] ||
    fail "$audio: media steps: $steps"
done

# Not MIDI files: a text, a header cut short, a track cut short.
printf 'do re mi\n' >text.mid
printf 'MThd\0\0' >header.mid
head -c 30 song.mid >track.mid
for file in text.mid header.mid track.mid; do
  start=$(date +%s)
  VELK0_CLOCK=virtual VELK0_AUDIO=none VELK0_ANSWERS= VELK0_TRACE="$tmp/trace" \
    "$velk0" "$file" </dev/null >out 2>err || fail "$file: exit code $?"
  [[ $(($(date +%s) - start)) -lt 10 ]] || fail "$file took too long"
  grep -qx "erreur mcimidi" out || fail "$file: no \"erreur mcimidi\": $(cat out)"
  grep -q '"op":"open","type":"sequencer","path":"'"$file"'","error":296' trace ||
    fail "$file: the opening did not fail in the trace"
done

echo "ok"
