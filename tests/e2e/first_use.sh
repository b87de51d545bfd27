#!/usr/bin/env bash
# The first use: a data folder that does not exist is made whole (the cues and
# a device choice naming output 0) before anything runs, so that the first
# commands find it; one that exists is left as it is; one that cannot be made
# is said on standard error, and the run goes on without it. (kalvesta N
# making it is in kalvesta.sh.)
source "$(dirname "$0")/lib.sh"
export VELK0_CLIPBOARD="o3 c e g"

# Through two folders that are not there yet: @ojp writes its file, reads the
# choice, finds its cue, and shows no box about a missing file.
export VELK0_ROOT=$tmp/new/velk0
VELK0_ANSWERS=nn dry_run @ojp >"$tmp/out" 2>"$tmp/err" || fail "first use: exit code $?"
[[ ! -s "$tmp/err" ]] || fail "first use: standard error: $(cat "$tmp/err")"
folder=$VELK0_ROOT/korvane
[[ $(ls -A "$folder" | tr '\n' ' ') == "edition.wav entrez_u.wav erreur.wav midiinit.dev prv.tab " ]] \
  || fail "first use made: $(ls -A "$folder")"
[[ $(ls -A "$VELK0_ROOT") == korvane ]] || fail "left beside the folder: $(ls -A "$VELK0_ROOT")"
cmp -s <(printf '0\r\n') "$folder/midiinit.dev" || fail "choice: $(od -c "$folder/midiinit.dev")"
grep -q '"op":"write","path":"\\\\korvane\\\\prv.tab","chars":9' "$tmp/trace" || fail "prv.tab not written"
grep -q '"op":"read","path":"\\\\korvane\\\\midiinit.dev","chars":2' "$tmp/trace" || fail "choice not read"
if grep -q '"box".*impossible' "$tmp/trace"; then fail "first use: $(grep '"box"' "$tmp/trace")"; fi
for cue in edition entrez_u erreur; do
  [[ $(head -c4 "$folder/$cue.wav") == RIFF ]] || fail "$cue.wav is no WAV file"
done

# A data folder that exists, even empty, is not filled behind the user's back:
# the missing choice is said as ever.
export VELK0_ROOT=$tmp/empty
mkdir -p "$VELK0_ROOT/korvane"
VELK0_ANSWERS=nn dry_run @ojp >"$tmp/out" 2>"$tmp/err" || fail "existing folder: exit code $?"
grep -q '"text":"\\\\korvane\\\\midiinit.dev","caption":"impossible d'"'"'ouvrir en lecture"' \
  "$tmp/trace" || fail "existing folder: no box for the missing choice"
[[ ! -e "$VELK0_ROOT/korvane/midiinit.dev" ]] || fail "existing folder: midiinit.dev was made"

# A folder that cannot be made: a line that says where and why, and the run
# goes on with the messages of a missing choice (and of the file not written).
export VELK0_ROOT=/dev/null/velk0
VELK0_ANSWERS=nn dry_run @ojp >"$tmp/out" 2>"$tmp/err" || fail "no folder: exit code $?"
head -1 "$tmp/err" | grep -q \
  "^velk0 : impossible de créer le dossier de données /dev/null/velk0/korvane : .*pas un dossier" \
  || fail "no folder: standard error: $(cat "$tmp/err")"
grep -q '"caption":"impossible d'"'"'ouvrir en lecture"' "$tmp/trace" || fail "no folder: no box"
echo "ok"
