#!/usr/bin/env bash
# The # and $ commands from the command line, seen through the trace.
source "$(dirname "$0")/lib.sh"

notes() { grep -o '"bytes":\[14[4-9],[0-9]*,[0-9]*\]' "$tmp/trace" | sed 's/.*\[14[4-9],\([0-9]*\),.*/\1/' | tr '\n' ' '; }

dry_run "#t5" "cdefgab>c" >/dev/null
[[ "$(notes)" == "41 43 45 46 36 38 40 41 " ]] || fail "#t5: $(notes)"

dry_run "#w1" "#n" "c e g b- d" >"$tmp/out"
grep -q '"caption":"9"' "$tmp/trace" || fail "#n: no box captioned 9"
grep -qx "9" "$tmp/out" || fail "#n: the box is not printed"

dry_run '$a60' "o3 c d e f g a b >c" >/dev/null
[[ "$(notes)" == "60 62 64 65 67 69 71 72 " ]] || fail "\$a60: $(notes)"

# An unknown command letter is reported in French, the tablature still plays.
dry_run "#x" "ceg" >"$tmp/out"
grep -q '"text":"la commande n'"'"'existe pas","caption":"#x"' "$tmp/trace" || fail "#x"
echo "ok"
