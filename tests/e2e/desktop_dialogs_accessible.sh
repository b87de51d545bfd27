#!/usr/bin/env bash
# Boxes on the desktop with the real zenity, on a private X server with an
# accessibility bus: the boxes found, read and answered through the
# accessibility tree (desktop_dialogs.py), as a screen reader finds them: an
# OK box, Non pressed, Enter for Oui, Escape.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
here=$(cd "$(dirname "$0")" && pwd)
unset WAYLAND_DISPLAY VELK0_DIALOGS
answers() { grep -o '"answer":[0-9]*' "$tmp/trace" | cut -d: -f2 | tr '\n' ' '; }

for tool in zenity Xvfb xdotool dbus-run-session; do
  command -v "$tool" >/dev/null ||
    skip "$tool is not installed (scripts/install-deps.sh --tests)"
done
# The distribution's Python has its accessibility bindings; another one first
# along PATH may not.
python=
for candidate in python3 /usr/bin/python3; do
  "$candidate" -c "import pyatspi" 2>/dev/null && { python=$candidate; break; }
done
[[ -n $python ]] || skip "python3-pyatspi is not installed (scripts/install-deps.sh --tests)"

# The real run: a private X server and session bus, whose accessibility bus
# starts when zenity's toolkit asks for it.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 100); do [[ -s $tmp/display ]] && break; sleep 0.1; done
[[ -s $tmp/display ]] || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
export DISPLAY=":$(head -1 "$tmp/display")"
unset NO_AT_BRIDGE
export VELK0_AUDIO=none VELK0_CLOCK=virtual VELK0_TRACE="$tmp/trace"
# shellcheck disable=SC2016
timeout 120 dbus-run-session -- bash -c '
  "$1" @zz @pt @pt </dev/null >/dev/null 2>"$2/err" & run=$!
  "$4" "$3/desktop_dialogs.py" "la commande @ n'\''existe pas|zz|OK|OK" "*||OK|OK" "*||OK|Escape" \
    "largo|oui=saisie non=suivant annuler=quitter|Annuler,Non,Oui|Non" \
    "andante|oui=saisie non=suivant annuler=quitter|Annuler,Non,Oui|Return" \
    "*||Annuler,Non,Oui|Escape" 2>"$2/helper" || { kill $run; exit 1; }
  wait $run' _ "$velk0" "$tmp" "$here" "$python" >"$tmp/bus.log" 2>&1 ||
  fail "the desktop run: $(cat "$tmp/helper" "$tmp/err")"
[[ $(answers) == "1 1 1 7 6 2 " ]] || fail "desktop answers $(answers)"
echo "ok"
