#!/usr/bin/env bash
# A dry run's trace: the reset's program change reaches no device, the device
# opens, each note is a note-on, a wait and a note-off, the device closes.
source "$(dirname "$0")/lib.sh"

dry_run "o3 c d e" >"$tmp/out" 2>"$tmp/err" || fail "exit code $?"
expected='{"t":0,"ev":"midi","device":null,"bytes":[193,0,0]}
{"t":0,"ev":"open","device":0,"notes":256}
{"t":0,"ev":"midi","device":0,"bytes":[145,36,127]}
{"t":0,"ev":"wait","ms":1000}
{"t":1000,"ev":"midi","device":0,"bytes":[129,36,0]}
{"t":1000,"ev":"midi","device":0,"bytes":[145,38,127]}
{"t":1000,"ev":"wait","ms":1000}
{"t":2000,"ev":"midi","device":0,"bytes":[129,38,0]}
{"t":2000,"ev":"midi","device":0,"bytes":[145,40,127]}
{"t":2000,"ev":"wait","ms":1000}
{"t":3000,"ev":"midi","device":0,"bytes":[129,40,0]}
{"t":3000,"ev":"close"}'
diff <(echo "$expected") "$tmp/trace" || fail "trace"
[[ ! -s "$tmp/err" ]] || fail "unexpected output on standard error: $(cat "$tmp/err")"

# The trace can go to standard error.
VELK0_CLOCK=virtual VELK0_AUDIO=none VELK0_TRACE=- "$velk0" "c" 2>"$tmp/err2" >/dev/null </dev/null
grep -q '"bytes":\[145,36,127\]' "$tmp/err2" || fail "trace on standard error"
echo "ok"
