#!/usr/bin/env bash
# Ctrl-C or a termination request in the middle of a note: the note is let
# go, the device closed, and the exit status tells which signal ended the run.
source "$(dirname "$0")/lib.sh"
# Job control: the background run takes signals as a foreground one would.
set -m

interrupt() {
  local signal=$1 expected_code=$2 trace="$tmp/trace.$1"
  local code=0 sent
  VELK0_AUDIO=none VELK0_TRACE="$trace" "$velk0" "o3 c d e f g a b >c d e f g a b >c" \
    </dev/null >"$tmp/out" 2>"$tmp/err" &
  local pid=$!
  # Into the second note, so that one note is sounding.
  local give_up=$((SECONDS + 10))
  until [[ $(grep -c '"bytes":\[145,' "$trace" 2>/dev/null) -ge 2 ]]; do
    [[ $SECONDS -lt $give_up ]] || fail "$signal: the second note never came"
    sleep 0.02
  done
  sleep 0.2
  local notes_before
  notes_before=$(grep -c '"bytes":\[145,' "$trace")
  sent=$(date +%s%N)
  kill "-$signal" "$pid" || fail "$signal: the run had already ended"
  wait "$pid" || code=$?
  local elapsed_ms=$((($(date +%s%N) - sent) / 1000000))

  [[ $code -eq $expected_code ]] || fail "$signal: exit code $code, expected $expected_code"
  [[ $elapsed_ms -lt 3000 ]] || fail "$signal: the run went on for $elapsed_ms ms"
  [[ ! -s "$tmp/err" ]] || fail "$signal: standard error: $(cat "$tmp/err")"
  [[ $(grep -c '"bytes":\[145,' "$trace") -eq $notes_before ]] \
    || fail "$signal: notes went on after the signal: $(cat "$trace")"
  local last_on note
  last_on=$(grep -n '"bytes":\[145,' "$trace" | tail -1)
  note=$(sed -E 's/.*"bytes":\[145,([0-9]+),.*/\1/' <<<"$last_on")
  # After the last note-on: the wait that was cut short, the note-off, the
  # close, and nothing more.
  tail -n +"$((${last_on%%:*} + 1))" "$trace" | sed -E 's/^\{"t":[0-9]+,//' >"$tmp/after"
  printf '%s\n' '"ev":"wait","ms":1000}' "\"ev\":\"midi\",\"device\":0,\"bytes\":[129,$note,0]}" \
    '"ev":"close"}' | diff - "$tmp/after" >/dev/null || fail "$signal: after the last note-on: $(cat "$trace")"
  # The note was cut short, not played to its end.
  local on_t off_t
  on_t=$(sed -E 's/^[0-9]+:\{"t":([0-9]+),.*/\1/' <<<"$last_on")
  off_t=$(grep "\"bytes\":\[129,$note,0\]" "$trace" | tail -1 | sed -E 's/^\{"t":([0-9]+),.*/\1/')
  [[ $((off_t - on_t)) -lt 1000 ]] || fail "$signal: the note lasted $((off_t - on_t)) ms"
}

interrupt INT 130
interrupt TERM 143
echo "ok"
