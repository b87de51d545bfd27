#!/usr/bin/env bash
# What other programs and the terminal get from a run: the clipboard tool and
# a companion inherit none of the program's files (trace, WAV); a huge
# clipboard is read only as far as the program keeps it; a box's key needs no
# Enter again after the program was stopped and continued (Ctrl-Z, fg).
source "$(dirname "$0")/lib.sh"
unset WAYLAND_DISPLAY VELK0_CLIPBOARD

# A clipboard tool that offers 50 MB of text, and a companion; each lists the
# descriptors it was given.
mkdir -p "$tmp/bin"
printf '#!/bin/sh\nls -l /proc/$$/fd >"%s/fds-xclip"\nhead -c 50000000 /dev/zero | tr "\\000" c\n' \
  "$tmp" >"$tmp/bin/xclip"
printf '#!/bin/sh\nls -l /proc/$$/fd >"%s/fds-quirel"\n' "$tmp" >"$tmp/bin/quirel"
chmod +x "$tmp/bin/xclip" "$tmp/bin/quirel"
DISPLAY=:99 PATH="$tmp/bin:$PATH" VELK0_ANSWERS=on VELK0_CLOCK=virtual VELK0_TRACE="$tmp/trace" \
  VELK0_AUDIO="$tmp/out.wav" "$velk0" @en @ste </dev/null >/dev/null 2>"$tmp/err" || fail "exit $?"
for _ in $(seq 100); do [[ -s $tmp/fds-quirel ]] && break; sleep 0.05; done
for tool in xclip quirel; do
  [[ -s $tmp/fds-$tool ]] || fail "$tool did not run"
  ! grep -E "trace|out\.wav|socket:" "$tmp/fds-$tool" || fail "$tool inherited the files above"
done
read_text=$(grep -o '"op":"read","text":"c*"' "$tmp/trace") || fail "no clipboard read"
[[ $read_text == "\"op\":\"read\",\"text\":\"$(printf 'c%.0s' $(seq 2048))\"" ]] ||
  fail "the clipboard read ${#read_text} characters"
(($(stat -c %s "$tmp/trace") < 100000)) || fail "the trace holds the whole clipboard"

# A box in a terminal (script's pseudo-terminal), its answers from a FIFO.
mkfifo "$tmp/keys"
script -qfec "VELK0_AUDIO=none $velk0 @pt" /dev/null <"$tmp/keys" >"$tmp/screen" 2>&1 &
run=$!
exec 3>"$tmp/keys"
for _ in $(seq 200); do grep -q "oui=saisie" "$tmp/screen" && break; sleep 0.05; done
pid=$(pgrep -P "$run" -x velk0 || pgrep -f "^$velk0 @pt" | head -1)
tty=$(readlink "/proc/$pid/fd/0")
mode() { stty -F "$tty" -a | grep -o -- '-\?icanon'; }
[[ $(mode) == -icanon ]] || fail "the box does not read single keys"
# Stopped, the shell takes the terminal back in line mode; continued, the box
# takes its own again, and one key answers it. script stops itself once it
# sees its child stopped (later, on a busy machine): both are continued once
# both have stopped, or script would stay stopped for good.
kill -STOP "$pid"
for _ in $(seq 100); do
  [[ $(ps -o stat= -p "$pid" "$run" | grep -c '^T') == 2 ]] && break
  sleep 0.05
done
stty -F "$tty" icanon echo
kill -CONT "$pid" "$run"
for _ in $(seq 40); do [[ $(mode) == -icanon ]] && break; sleep 0.05; done
[[ $(mode) == -icanon ]] || fail "after SIGCONT the terminal stayed in line mode"
printf a >&3
exec 3>&-
timeout 10 tail --pid="$pid" -f /dev/null || fail "a key without Enter did not answer the box"
wait "$run" || true
echo "ok"
