#!/usr/bin/env bash
# VELK0_AUDIO takes none, jack or a WAV file's path, in any case, and refuses
# anything else before doing anything; a trace that cannot be written is
# reported once on standard error and the run goes on.
source "$(dirname "$0")/lib.sh"
velk0=$(realpath "$velk0")
cd "$tmp"
export VELK0_CLOCK=virtual

for value in none NONE None; do
  VELK0_AUDIO=$value "$velk0" "c" </dev/null >out 2>err || fail "$value: exit code $?"
  [[ ! -s err ]] || fail "$value: standard error: $(cat err)"
done
VELK0_AUDIO=piece.WAV "$velk0" "c" </dev/null >out 2>err || fail "piece.WAV: exit code $?"
[[ -s piece.WAV ]] || fail "piece.WAV was not written"
[[ $(ls | sort | tr '\n' ' ') == "err korvane out piece.WAV " ]] || fail "files: $(ls)"

for value in nothing piece.wv .wav "none " "jack "; do
  code=0
  VELK0_AUDIO=$value VELK0_TRACE=trace "$velk0" "c" </dev/null >out 2>err || code=$?
  [[ $code -eq 2 ]] || fail "$value: exit code $code"
  [[ $(ls | sort | tr '\n' ' ') == "err korvane out piece.WAV " ]] || fail "$value: files: $(ls)"
  [[ $(wc -l <err) -eq 1 ]] && grep -q "^velk0 : VELK0_AUDIO doit valoir none, jack ou le chemin d'un fichier .wav" err \
    || fail "$value: standard error: $(cat err)"
  [[ ! -s out ]] || fail "$value: output: $(cat out)"
done

# A trace that cannot be opened (it then goes to standard error), or whose
# writing fails; a control character of its name is shown, not sent to the
# terminal.
mkdir folder
for trace in folder /dev/full $'nowhere\e[31m/trace'; do
  VELK0_AUDIO=none VELK0_TRACE=$trace "$velk0" "c d e" "@x" </dev/null >out 2>err \
    || fail "$trace: exit code $?"
  shown=${trace//$'\e'/\\x1b}
  [[ $(grep -c "impossible d'écrire la trace" err) -eq 1 ]] \
    && grep -qxF "velk0 : impossible d'écrire la trace $shown" err || fail "$trace: $(cat -v err)"
done
echo "ok"
