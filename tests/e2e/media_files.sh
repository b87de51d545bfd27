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

# Writes bytes given in hex (blanks allowed) to standard output.
bytes() {
  local hex=${*// /}
  printf "$(sed 's/../\\x&/g' <<<"$hex")"
}

# A MIDI file of format $1 at 480 ticks a quarter note (500 ms at the
# default tempo), one track for each further argument: its events in hex.
smf() {
  local format=$1 track
  shift
  bytes "4d546864 00000006 $(printf '%04x%04x' "$format" $#) 01e0"
  for track; do
    track=${track// /}
    bytes "4d54726b $(printf '%08x' $((${#track} / 2))) $track"
  done
}

# The channel messages of a MIDI file the run wrote (no running status), one
# a line: the millisecond, then the bytes in hex; "whole" last when its
# track ends with End of Track where its length says.
midi_events() {
  od -An -tu1 -v "$1" | awk '
    { for (i = 1; i <= NF; i++) b[n++] = $i + 0 }
    function quantity(  v, c) { v = 0; do { c = b[at++]; v = v * 128 + c % 128 } while (c >= 128); return v }
    END {
      at = 22; ms = 0
      while (at < n) {
        ms += quantity(); status = b[at++]
        if (status == 255) {
          type = b[at++]; at += quantity()
          if (type == 47 && at == n && n - 22 == ((b[18] * 256 + b[19]) * 256 + b[20]) * 256 + b[21])
            print "whole"
          continue
        }
        line = ms sprintf(" %02x %02x", status, b[at++])
        if (int(status / 32) != 6) line = line sprintf(" %02x", b[at++])
        print line
      }
    }'
}

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

# Not MIDI files: a text, a header cut short, a track cut short, a track of
# which nothing can be read (its first wait is five bytes long).
printf 'do re mi\n' >text.mid
printf 'MThd\0\0' >header.mid
head -c 30 song.mid >track.mid
smf 0 "8080808000 903c64" >unreadable.mid
for file in text.mid header.mid track.mid unreadable.mid; do
  start=$(date +%s)
  VELK0_CLOCK=virtual VELK0_AUDIO=none VELK0_ANSWERS= VELK0_TRACE="$tmp/trace" \
    "$velk0" "$file" </dev/null >out 2>err || fail "$file: exit code $?"
  [[ $(($(date +%s) - start)) -lt 10 ]] || fail "$file took too long"
  grep -qx "erreur mcimidi" out || fail "$file: no \"erreur mcimidi\": $(cat out)"
  grep -q '"op":"open","type":"sequencer","path":"'"$file"'","error":296' trace ||
    fail "$file: the opening did not fail in the trace"
done

# Files FluidSynth's own reader gives up on whole, played as far as they can
# be read: 130 tracks of a note each (format 1), all played; a track whose
# last event is cut short, and one with a wait of five bytes, played up to
# there; a tempo of two bytes left out, and the rest played. One line says
# what could not be read; no English line from the library, ever.
tracks=()
for ((k = 0; k < 130; k++)); do
  printf -v note '%x%x %02x' 9 $((k % 16)) $((30 + k / 16))
  tracks+=("00 $note 64 8360 8${note:1} 00 00ff2f00")
done
smf 1 "${tracks[@]}" >tracks.mid
smf 0 "00903c64 8360803c00 00904064 83608040" >cut.mid
smf 0 "00903c64 8360803c00 8080808000904364 8360804300 00ff2f00" >delta.mid
smf 0 "00ff5102 07a1 00903c64 8360803c00 00ff2f00" >tempo.mid
damaged="velk0 : une partie du fichier MIDI %s ne peut être lue ; le reste est joué."
for file in tracks.mid cut.mid delta.mid tempo.mid; do
  rm -f out.mid
  VELK0_CLOCK=virtual VELK0_AUDIO="$tmp/out.mid" VELK0_ANSWERS=a "$velk0" "$file" </dev/null \
    >out 2>err || fail "$file: exit code $?"
  grep -q "OUI pour PAUSE" out || fail "$file: no pause box: $(cat out)"
  midi_events out.mid >events
  case $file in
    tracks.mid)
      [[ ! -s err ]] || fail "$file: standard error: $(cat err)"
      [[ $(grep -c '^0 9' events) -eq 130 && $(grep -c '^500 8' events) -eq 130 ]] ||
        fail "$file: not every track played: $(cat events)"
      ;;
    cut.mid)
      diff <(printf "$damaged\n" "$file") err >/dev/null || fail "$file: standard error: $(cat err)"
      [[ $(head -3 events | paste -sd,) == "0 90 3c 64,500 80 3c 00,500 90 40 64" &&
        $(sed -n 4p events) == *" 80 40 00" ]] || fail "$file: $(cat events)"
      ;;
    delta.mid | tempo.mid)
      diff <(printf "$damaged\n" "$file") err >/dev/null || fail "$file: standard error: $(cat err)"
      [[ $(head -2 events | paste -sd,) == "0 90 3c 64,500 80 3c 00" ]] || fail "$file: $(cat events)"
      ;;
  esac
  [[ $(tail -1 events) == whole && $(grep -vc whole events) -eq $(($(wc -l <events) - 1)) ]] ||
    fail "$file: out.mid is not whole: $(cat events)"
done

echo "ok"
