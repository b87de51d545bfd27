#!/bin/bash
# The harmony and reading commands in real boxes, answered by keystrokes: a
# scale and a cadence chosen (the cadence named in its box), the clipboard's
# tablature played and kept, then translated through the dictionary; the
# files they write are read back.
source "$(dirname "$0")/lib.sh"
command -v xclip >/dev/null || { echo "xclip is not installed" >&2; exit 1; }

no_midi="votre environnement ne supporte pas ce midi mapper"
# Wine commonly has no MIDI output device: the program then says so.
answer_no_midi() {
  next_box_title || return 0
  [ "$box_title" = "$no_midi" ] && answer_box "$no_midi" Return
  return 0
}

start_display
use_scratch_drive
printf '0' >"$root/korvane/midiinit.dev"
printf '[do]C E G\r\n' >"$root/korvane/notaflux.dic"
printf '[do]' | xclip -selection clipboard

start_program "@hg" "@hc" "@ojp" "@oih"
answer_no_midi
answer_box "gamme majeure" y
answer_box "cadence parfaite" y
answer_box "ih5:<<<gb>dfih1:<cegb" Return
answer_box "presse papier" y
answer_box "oui=jouer presse papier non=jouer et sauvegarder escape = quitter" n
answer_no_midi
answer_box "oui non annuler=pas d'indication" y
answer_box 'Traduction avec le dictionnaire \korvane\notaflux.dic' Return
wait_program 60
[ "$status" = 0 ] || fail "exit code $status, expected 0"

mapfile -t boxes < <(trace_lines | grep '"ev":"box","style":"choice"' | grep -v '"caption":"presse papier"')
expected=('{"ev":"box","style":"choice","text":"oui=saisie non=suivant annuler=quitter","caption":"gamme majeure","answer":6}'
  '{"ev":"box","style":"choice","text":"oui=saisie  non=suivant annuler=quitter","caption":"cadence parfaite","answer":6}'
  '{"ev":"box","style":"choice","text":"[do]\n","caption":"oui=jouer presse papier non=jouer et sauvegarder escape = quitter","answer":7}'
  '{"ev":"box","style":"choice","text":"ajouter la lecture de l'"'"'harmonie","caption":"oui non annuler=pas d'"'"'indication","answer":6}')
[ "${boxes[*]}" = "${expected[*]}" ] || fail "boxes: ${boxes[*]}"
[ "$(trace_lines | grep -c '"ev":"sound","path":"\\\\korvane\\\\edition.wav"')" = 4 ] ||
  fail "expected four edition cues"
cmp -s <(printf '[do]\r\n') "$root/korvane/prv.tab" ||
  fail "prv.tab holds: $(od -c "$root/korvane/prv.tab" | head -3)"
cmp -s <(printf '(c e g\r\n)') "$root/korvane/prvinfo.tab" ||
  fail "prvinfo.tab holds: $(od -c "$root/korvane/prvinfo.tab" | head -3)"
finish
