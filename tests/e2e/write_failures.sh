#!/usr/bin/env bash
# Writes that fail are said, and leave no file cut short: the WAV or MIDI file
# of the sound (a disk that fills up, here a limit on the size of files, or a device
# in place of a file) and the scratch tablature files. Writes through symbolic
# links land on the file they point to.
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

# A write through symbolic links lands on the file the last one points to,
# made when it is not there yet, a relative target read from its link's
# folder; links in a loop are one line on standard error, never a hang.
kalvesta=$(dirname "$velk0")/kalvesta
rm -rf korvane/prv.tab korvane/prvinfo.tab cibles
mkdir cibles
printf '5\r\n' >cibles/choix.dev
while IFS='|' read -r label links environment program args code lands head said; do
  links=${links//'$tmp'/$tmp}
  for link in $links; do
    rm -f "${link%%>*}"
    ln -s "${link#*>}" "${link%%>*}"
  done
  run=("$velk0")
  [[ $program == kalvesta ]] && run=("$kalvesta")
  status=0
  # shellcheck disable=SC2086 # the environment and arguments are words
  timeout 60 env $environment "${run[@]}" $args </dev/null >out 2>err || status=$?
  [[ $status -eq $code ]] || fail "$label: exit code $status, standard error: $(cat err)"
  if [[ -z $said ]]; then
    [[ ! -s err ]] || fail "$label: standard error: $(cat err)"
    [[ $(head -c ${#head} "$lands") == "$head" ]] || fail "$label: $lands holds $(od -c "$lands")"
  else
    [[ $(wc -l <err) -eq 1 ]] && grep -qF "$said" err || fail "$label: standard error: $(cat err)"
  fi
  for link in $links; do
    [[ -L ${link%%>*} ]] || fail "$label: ${link%%>*} is no longer a link"
    rm "${link%%>*}"
  done
  [[ -z $(find . -name '*.tmp') ]] || fail "$label: left $(find . -name '*.tmp')"
done <<'CASES'
a MIDI file|lien.mid>cibles/air.mid|VELK0_AUDIO=lien.mid|velk0|c|0|cibles/air.mid|MThd|
a WAV file, by a chain|lien.wav>maillon.wav maillon.wav>$tmp/cibles/son.wav|VELK0_AUDIO=lien.wav|velk0|c|0|cibles/son.wav|RIFF|
a scratch file|korvane/prvinfo.tab>../cibles/info.tab|VELK0_AUDIO=none VELK0_ANSWERS=o|velk0|@hg|0|cibles/info.tab|o3|
a sound cue made again|korvane/edition.wav>../cibles/edition.wav|VELK0_AUDIO=none VELK0_ANSWERS=o|velk0|@hg|0|cibles/edition.wav|RIFF|
the device choice, there before|korvane/midiinit.dev>../cibles/choix.dev|VELK0_AUDIO=none|kalvesta|0|0|cibles/choix.dev|0|
a loop|boucle.mid>boucle2.mid boucle2.mid>boucle.mid|VELK0_AUDIO=boucle.mid|velk0|c|1|||velk0 : impossible d'écrire le fichier MIDI boucle.mid : trop de liens symboliques.
a scratch file's loop|korvane/prv.tab>prv.tab|VELK0_AUDIO=none VELK0_ANSWERS=nn|velk0|@ojp|0|||velk0 : impossible d'écrire \korvane\prv.tab : trop de liens symboliques
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
