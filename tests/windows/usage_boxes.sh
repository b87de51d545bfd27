#!/bin/bash
# velk0.exe with no argument under Wine: the nine usage lines appear one after
# the other as real message boxes, each line as the box's title, each box is
# closed by a keystroke, and the program ends with exit code 0.
source "$(dirname "$0")/lib.sh"

usage=(
  "syntaxe : velk0 arg1 arg2... où les arguments sont des commandes ou des tablatures"
  "Les arguments de commandes doivent commencer par le symbole @ # ou \$"
  "Les arguments qui ne commencent pas par un @, un # ou par un \$ doivent être des tablatures écrites avec les conventions de l'éditeur scrivol"
  "Les commandes sont de la forme @nom #sn ou \$sn où nom est un nom de commande, s est un symbole et où n est un nombre"
  "le symbole s définit la commande et le nombre n définit son paramètre"
  "Exemples : velk0 #t5 \"cdefgab>c\" transpose la tablature indiquée de 5 demi-tons"
  "il faut mettre la tablature entre guillemets, quand elle contient des symboles comme < > . *"
  "velk0 @pi @pt @hg permet de choisir un instrument , un tempo et une gamme"
  "reportez-vous à la rubrique sonbrix du site tellarin pour une description plus détaillée des outils sonores"
)

start_display
use_scratch_drive
start_program
for line in "${usage[@]}"; do
  answer_box "$line" Return || break
done
wait_program 60
[ "$status" = 0 ] || fail "exit code $status, expected 0"

# The trace agrees: nine information boxes with an empty text, each answered
# OK by the keystroke, and nothing else happened (no device, no sound).
mapfile -t lines < <(trace_lines)
[ "${#lines[@]}" -eq 9 ] || fail "${#lines[@]} trace lines, expected 9"
for i in "${!usage[@]}"; do
  expected="{\"ev\":\"box\",\"style\":\"info\",\"text\":\"\",\"caption\":$(json "${usage[$i]}"),\"answer\":1}"
  [ "${lines[$i]:-}" = "$expected" ] || fail "trace line $((i + 1)): ${lines[$i]:-none}"
done
finish
