#!/usr/bin/env bash
# Ctrl-C, Ctrl-\, a hang-up or a termination request, during start-up or in
# the middle of a note: no note is left on, the device is closed, and the exit
# status tells which signal ended the run.
source "$(dirname "$0")/lib.sh"
# Job control: the background run takes signals as a foreground one would.
set -m

signals=(INT TERM HUP QUIT)

# Every note-on of a trace has its note-off, and every opening its closing.
check_balanced() {
  local label=$1 trace=$2
  local on off
  for on in $(grep -o '"bytes":\[145,[0-9]*' "$trace" | sed 's/.*,//' | sort | uniq); do
    off=$(grep -c "\"bytes\":\[129,$on,0\]" "$trace" || true)
    [[ $off -ge $(grep -c "\"bytes\":\[145,$on," "$trace") ]] || fail "$label: note $on left on"
  done
  [[ $(grep -c '"ev":"open"' "$trace" || true) -eq $(grep -c '"ev":"close"' "$trace" || true) ]] \
    || fail "$label: the device was left open"
}

# Whether the process runs still (an ended one not yet waited for does not).
running() {
  local state
  state=$(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null) && [[ $state != Z ]]
}

# Waits until the trace holds `count` note-ons.
wait_for_notes() {
  local label=$1 trace=$2 count=$3 give_up=$((SECONDS + 10))
  until [[ $(grep -c '"bytes":\[145,' "$trace" 2>/dev/null) -ge $count ]]; do
    [[ $SECONDS -lt $give_up ]] || fail "$label: note $count never came"
    sleep 0.02
  done
}

during_a_note() {
  local signal=$1 expected_code=$((128 + $(kill -l "$1"))) trace="$tmp/trace.$1"
  local code=0 sent
  VELK0_AUDIO=none VELK0_TRACE="$trace" "$velk0" "o3 c d e f g a b >c d e f g a b >c" \
    </dev/null >"$tmp/out" 2>"$tmp/err" &
  local pid=$!
  # Into the second note, so that one note is sounding.
  wait_for_notes "$signal" "$trace" 2
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
  check_balanced "$signal" "$trace"
}

# A signal during start-up, before the device opens: here while the run
# waits for a reader of its trace (a FIFO). The opening of the trace is cut
# short, the trace then goes to standard error, and nothing is ever sent.
during_start_up() {
  local signal=$1 expected_code=$((128 + $(kill -l "$1"))) fifo="$tmp/trace.fifo"
  local code=0
  rm -f "$fifo" "$tmp/late"
  mkfifo "$fifo"
  VELK0_AUDIO=none VELK0_TRACE="$fifo" "$velk0" "o3 c d e" </dev/null >"$tmp/out" 2>"$tmp/err" &
  local pid=$!
  local give_up=$((SECONDS + 3))
  until [[ $(cat "/proc/$pid/wchan" 2>/dev/null) == wait_for_partner || $SECONDS -ge $give_up ]]; do
    sleep 0.01
  done
  kill "-$signal" "$pid" || fail "start-up $signal: the run had already ended"
  # Should the signal have come before the opening (a very slow start), a
  # reader lets the opening end; nothing may be sent all the same.
  local waited=0
  while running "$pid" && ((waited++ < 50)); do sleep 0.02; done
  if running "$pid"; then timeout 5 cat "$fifo" >"$tmp/late" || true; fi
  wait "$pid" || code=$?
  [[ $code -eq $expected_code ]] || fail "start-up $signal: exit code $code, expected $expected_code"
  ! cat "$tmp/err" "$tmp/late" 2>/dev/null | grep -q '"ev":"open"\|"ev":"midi"' \
    || fail "start-up $signal: something was sent: $(cat "$tmp/err")"
}

# With standard input, output and error closed, the program reads and
# writes /dev/null there, and its own descriptors come after them.
closed_descriptors() {
  local trace="$tmp/trace.closed" code=0 fd
  VELK0_AUDIO=none VELK0_TRACE="$trace" "$velk0" "o3 c d e f" <&- >&- 2>&- &
  local pid=$!
  wait_for_notes "closed" "$trace" 1
  for fd in 0 1 2; do
    [[ $(readlink "/proc/$pid/fd/$fd") == /dev/null ]] \
      || fail "closed: descriptor $fd is $(readlink "/proc/$pid/fd/$fd")"
  done
  kill -INT "$pid"
  wait "$pid" || code=$?
  [[ $code -eq 130 ]] || fail "closed: exit code $code"
  check_balanced "closed" "$trace"
}

for signal in "${signals[@]}"; do
  during_start_up "$signal"
  during_a_note "$signal"
done
closed_descriptors
echo "ok"
