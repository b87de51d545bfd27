#!/usr/bin/env bash
# Boxes on the desktop, with a stand-in zenity: what each box asks zenity
# for, the answer each of its endings stands for, scripted answers that
# never reach the desktop, and no box left up once a signal stops velk0.
# (desktop_dialogs_accessible.sh shows them with the real zenity.)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
unset WAYLAND_DISPLAY VELK0_DIALOGS

# The stand-in writes one line of its arguments and settings, then
# ends with the next status of $tmp/statuses (or waits, with none left).
mkdir "$tmp/bin"
cat >"$tmp/bin/zenity" <<EOF
#!/bin/sh
{ printf '%s|' "\$@"; env | grep -E '^(ZENITY_|DESKTOP_STARTUP_ID)' | sort | tr '\n' ' '
  echo; } >>"$tmp/asked"
status=\$(head -1 "$tmp/statuses"); sed -i 1d "$tmp/statuses"
[ -n "\$status" ] || { echo \$\$ >"$tmp/waiting"; exec sleep 60; }
exit "\$status"
EOF
chmod +x "$tmp/bin/zenity"
desktop() {
  DISPLAY=:99 DESKTOP_STARTUP_ID=x PATH="$tmp/bin:$PATH" VELK0_DIALOGS=bureau dry_run "$@" >/dev/null
}
answers() { grep -o '"answer":[0-9]*' "$tmp/trace" | cut -d: -f2 | tr '\n' ' '; }
settings="ZENITY_CANCEL=7 ZENITY_ERROR=3 ZENITY_ESC=2 ZENITY_EXTRA=2 ZENITY_OK=0 ZENITY_TIMEOUT=3 "

# Three OK boxes (OK, Escape, OK), then @pt: Non (largo), Annuler (andante);
# a box zenity could not show (status 1) goes to the terminal, which answers
# annuler at the end of the input, and says so. Only the first box has the
# desktop's startup token, to take the focus with.
printf '%s\n' 0 2 0 7 2 1 >"$tmp/statuses"
desktop @zz @pt @pt 2>"$tmp/err" || fail "exit $?"
[[ $(answers) == "1 1 1 7 2 2 " ]] || fail "answers $(answers)"
grep -q "s'affichent dans le terminal" "$tmp/err" || fail "no line for the failed box"
grep -qxF -- "--info|--title=la commande @ n'existe pas|--text=zz|--no-markup|--ok-label=OK|\
DESKTOP_STARTUP_ID=x $settings" "$tmp/asked" || fail "zenity was asked: $(cat "$tmp/asked")"
grep -qxF -- "--question|--title=largo|--text=oui=saisie non=suivant annuler=quitter|--no-markup|\
--ok-label=Oui|--cancel-label=Non|--extra-button=Annuler|DESKTOP_STARTUP_ID= $settings" \
  "$tmp/asked" ||
  fail "zenity was asked: $(cat "$tmp/asked")"

# Scripted answers: nothing on the desktop, the same trace as in a terminal.
rm "$tmp/asked"
VELK0_ANSWERS=na desktop @zz @pt @pt || fail "scripted: exit $?"
[[ $(answers) == "1 1 1 7 2 2 " && ! -e $tmp/asked ]] || fail "scripted answers: $(answers)"

# A termination request while a box is up closes the box too.
DISPLAY=:99 PATH="$tmp/bin:$PATH" VELK0_DIALOGS=bureau VELK0_AUDIO=none "$velk0" @pt \
  </dev/null >/dev/null 2>&1 &
run=$!
for _ in $(seq 100); do [[ -s $tmp/waiting ]] && break; sleep 0.05; done
kill -TERM "$run"
wait "$run" && fail "velk0 went on after SIGTERM"
sleep 0.2
! kill -0 "$(cat "$tmp/waiting")" 2>/dev/null || fail "the box stayed up after velk0 ended"

# A zenity that never stops writing on its error output: velk0 keeps only
# its last words, its memory stays where it was, and a signal still ends the
# run and the box.
mkdir "$tmp/noisy"
printf '#!/bin/sh\necho $$ >"%s/noisy-pid"\nexec yes "Gtk-WARNING **: bruit" >&2\n' "$tmp" \
  >"$tmp/noisy/zenity"
chmod +x "$tmp/noisy/zenity"
DISPLAY=:99 PATH="$tmp/noisy:$PATH" VELK0_DIALOGS=bureau VELK0_AUDIO=none "$velk0" @pt \
  </dev/null >/dev/null 2>&1 &
run=$!
written() { awk '/^wchar/ { print $2 }' "/proc/$(cat "$tmp/noisy-pid")/io" 2>/dev/null || echo 0; }
for _ in $(seq 300); do [[ -s $tmp/noisy-pid && $(written) -gt 300000000 ]] && break; sleep 0.05; done
[[ $(written) -gt 300000000 ]] || fail "the noisy zenity wrote only $(written) bytes"
peak_kb=$(awk '/^VmHWM/ { print $2 }' "/proc/$run/status")
((peak_kb < 150000)) || fail "velk0 grew to $peak_kb kB reading zenity's error output"
kill -TERM "$run"
wait "$run" && fail "velk0 went on after SIGTERM"
sleep 0.2
! kill -0 "$(cat "$tmp/noisy-pid")" 2>/dev/null || fail "the noisy box stayed up after velk0 ended"
echo "ok"
