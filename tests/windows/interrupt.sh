#!/bin/bash
# Ctrl-C while velk0.exe waits in a box: the console control handler silences
# and closes the MIDI device and ends the program at once, with the exit code
# of a console program ended by Ctrl-C (0xC000013A, of which a POSIX parent
# sees the low byte, 58). Wine turns SIGINT into the Ctrl-C event.
source "$(dirname "$0")/lib.sh"

start_display
use_scratch_drive
start_program
# Wait for the first usage box: the program is then inside MessageBoxExA.
deadline=$((SECONDS + 90))
until [ -n "$(visible_windows)" ] || [ $SECONDS -ge $deadline ]; do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.2
done
[ -n "$(visible_windows)" ] || fail "no box appeared"

kill -INT "$program_pid"
deadline=$((SECONDS + 20))
while kill -0 "$program_pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
if kill -0 "$program_pid" 2>/dev/null; then
  fail "the program still runs 20 s after Ctrl-C"
else
  wait "$program_pid"
  status=$?
  program_pid=
  [ "$status" = 58 ] || fail "exit code $status, expected 58 (0xC000013A)"
fi
# The box that was up when Ctrl-C came never returned: nothing was traced.
mapfile -t lines < <(trace_lines)
[ "${#lines[@]}" -eq 0 ] || fail "trace: ${lines[*]}"
finish
