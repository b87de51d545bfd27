#!/usr/bin/env bash
# The # and $ commands from the command line, seen through the trace.
source "$(dirname "$0")/lib.sh"

notes() { grep -o '"bytes":\[14[4-9],[0-9]*,[0-9]*\]' "$tmp/trace" | sed 's/.*\[14[4-9],\([0-9]*\),.*/\1/' | tr '\n' ' '; }

dry_run "#t5" "cdefgab>c" >/dev/null
[[ "$(notes)" == "41 43 45 46 36 38 40 41 " ]] || fail "#t5: $(notes)"

dry_run "#w1" "#n" "c e g b- d" >"$tmp/out"
grep -q '"caption":"9"' "$tmp/trace" || fail "#n: no box captioned 9"
grep -qx "9" "$tmp/out" || fail "#n: the box is not printed"

# Chords whose table entries were mended: named after their own notes.
captions() { grep -o '"caption":"[^"]*"' "$tmp/trace" | tr '\n' ' '; }
dry_run "#w1" "#n" "c e- g a >c" "c e f+ g+ >c" "c a f" "c a d" "c f+ a f" >/dev/null
expected='"caption":"3/ mineur 7 quinte bémol" "caption":"3/ majeur 7 quinte augmentée" '
expected+='"caption":"5/ majeur" "caption":"non traité" "caption":"non traité" '
[[ "$(captions)" == "$expected" ]] || fail "#n: $(captions)"

# F with its eleventh or thirteenth over C: #r3 brings the third (a) down,
# #r9 finds no ninth and plays the chord as it stands.
dry_run "#r3" "c e- f a b-" "c e- f a d" >/dev/null
[[ "$(notes)" == "45 36 39 41 46 45 36 39 41 38 " ]] || fail "#r3: $(notes)"
dry_run "#r9" "c e- f a b-" "c e- f a d" >/dev/null
[[ "$(notes)" == "36 39 41 45 46 36 39 41 45 38 " ]] || fail "#r9: $(notes)"

dry_run '$a60' "o3 c d e f g a b >c" >/dev/null
[[ "$(notes)" == "60 62 64 65 67 69 71 72 " ]] || fail "\$a60: $(notes)"

# An unknown command letter is reported in French, the tablature still plays.
dry_run "#x" "ceg" >"$tmp/out"
grep -q '"text":"la commande n'"'"'existe pas","caption":"#x"' "$tmp/trace" || fail "#x"
echo "ok"
