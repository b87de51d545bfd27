#!/usr/bin/env bash
# Writes that fail are said, and leave no file cut short: the WAV or MIDI file
# of the sound (a disk that fills up, here a limit on the size of files, or a device
# in place of a file) and the scratch tablature files.
source "$(dirname "$0")/lib.sh"
velk0=$(realpath "$velk0")
cd "$tmp"
export VELK0_CLOCK=virtual
trap '' XFSZ  # past the limit, a write fails instead of ending the program

# Frames of a 16-bit stereo WAV file whose sizes agree with its length.
whole_wav() {
  local size riff data
  size=$(stat -c %s "$1")
  riff=$(od -An -tu4 -j4 -N4 "$1" | tr -d ' ')
  data=$(od -An -tu4 -j40 -N4 "$1" | tr -d ' ')
  [[ $(head -c4 "$1") == RIFF && $riff -eq $((size - 8)) && $data -eq $((size - 44)) ]]
}

# The WAV file: full before the first tablature ends (the file there before
# stays), full during the second (the first one's sound stays, whole), or a
# device. Each time one line on standard error and a failed run.
ln -s /dev/full full.wav
while IFS='|' read -r label limit file tablatures said; do
  printf 'avant' >before.wav
  code=0
  (ulimit -f "$limit" && VELK0_AUDIO=$file "$velk0" $tablatures </dev/null >out 2>err) || code=$?
  [[ $code -eq 1 ]] || fail "$label: exit code $code"
  [[ $(wc -l <err) -eq 1 ]] && grep -q "^velk0 : impossible d'écrire le fichier audio $file$said" err \
    || fail "$label: standard error: $(cat err)"
  [[ $(ls -A | grep -c '\.tmp$') -eq 0 ]] || fail "$label: left $(ls -A)"
done <<'CASES'
full at once|100|before.wav|c d e f| : fichier trop grand ; le son n'y est pas enregistré
full later|500|after.wav|c c d e f g| : fichier trop grand ; il ne garde que le son d'avant l'échec
a device|unlimited|full.wav|c|\. Choisissez
CASES
[[ $(cat before.wav) == avant ]] || fail "the file there before was changed"
whole_wav after.wav || fail "after.wav is not whole: $(stat -c %s after.wav) bytes"
[[ $(readlink full.wav) == /dev/full ]] || fail "the link was replaced"

# The MIDI file: a device, or full once a third tablature is written (the
# file keeps the first two, whole).
ln -s /dev/full full.MID
long="o3$(printf 'cdefgab%.0s' {1..15})"
while IFS='|' read -r file limit said; do
  code=0
  (ulimit -f "$limit" && VELK0_AUDIO=$file "$velk0" c "$long" "$long" </dev/null >out 2>err) || code=$?
  [[ $code -eq 1 && $(wc -l <err) -eq 1 ]] &&
    grep -q "^velk0 : impossible d'écrire le fichier MIDI $file : $said" err ||
    fail "$file: exit code $code, standard error: $(cat err)"
done <<'CASES'
full.MID|unlimited|ce n'est pas un fichier ordinaire\. Choisissez
later.mid|1|fichier trop grand ; il ne garde que les notes d'avant l'échec
CASES
size=$(stat -c %s later.mid)
[[ $(od -An -tu1 -j18 -N4 later.mid | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }') \
  -eq $((size - 22)) && $(od -An -tx1 -j$((size - 3)) later.mid | tr -d ' ') == ff2f00 && $size -gt 500 ]] ||
  fail "later.mid is not whole, or empty: $size bytes"
[[ $(ls -A | grep -c '\.tmp$') -eq 0 ]] || fail "left $(ls -A)"

# A scratch file that cannot be written: the dialogue goes on as ever, and a
# line names the file and says why.
export VELK0_AUDIO=none VELK0_CLIPBOARD="o3 c e g"
mkdir -p korvane/prv.tab
ln -s /dev/full korvane/prvinfo.tab
while IFS='|' read -r command answers file said; do
  VELK0_ANSWERS=$answers VELK0_TRACE=trace "$velk0" "$command" </dev/null >out 2>err \
    || fail "$command: exit code $?"
  [[ $(cat err) == "velk0 : impossible d'écrire \\korvane\\$file : $said" ]] \
    || fail "$command: standard error: $(cat err)"
  grep -q '"ev":"sound","path":"\\\\korvane\\\\edition.wav"' trace || fail "$command did not end"
done <<'CASES'
@ojp|nn|prv.tab|c'est un dossier
@hg|o|prvinfo.tab|ce n'est pas un fichier ordinaire
CASES

# A sound cue that cannot be written (the disk full before it): the command
# goes on, a line names the cue and says why, and a companion that cannot
# start has its own line.
rm -rf korvane
mkdir korvane
while IFS='|' read -r command said; do
  code=0
  (ulimit -f 1 && VELK0_TRACE=trace "$velk0" "$command" </dev/null >out 2>err) || code=$?
  [[ $code -eq 0 && $(tr '\n' ';' <err) == "$said;" ]] ||
    fail "$command: exit code $code, standard error: $(cat err)"
  grep -q '"ev":"sound"' trace || fail "$command played no cue"
  [[ -z $(ls -A korvane) ]] || fail "$command left $(ls -A korvane)"
done <<'CASES'
@pd|velk0 : impossible d'écrire \korvane\edition.wav : fichier trop grand
@ste|velk0 : impossible d'écrire \korvane\entrez_u.wav : fichier trop grand;velk0 : impossible de démarrer quirel.exe
CASES

echo "ok"
