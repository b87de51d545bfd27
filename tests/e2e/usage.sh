#!/usr/bin/env bash
# With no argument the nine usage lines are printed, one per line, in UTF-8,
# and the exit code is 0 even with no standard input.
source "$(dirname "$0")/lib.sh"

"$velk0" </dev/null >"$tmp/out" || fail "exit code $?"
[[ $(wc -l <"$tmp/out") -eq 9 ]] || fail "expected 9 lines, got: $(cat "$tmp/out")"
head -1 "$tmp/out" | grep -qx "syntaxe : velk0 arg1 arg2... où les arguments sont des commandes ou des tablatures" \
  || fail "first line: $(head -1 "$tmp/out")"
tail -1 "$tmp/out" | grep -q "plus détaillée des outils sonores$" || fail "last line"
if grep -q $'\e' "$tmp/out"; then fail "escape sequences in the output"; fi
echo "ok"
