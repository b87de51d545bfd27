#!/usr/bin/env bash
# Argument lists built to hurt, generated the same way every time (fixed
# seed): fragments of the tablature and command grammar, numbers out of every
# range, control characters and escape sequences, bytes that are not text,
# very long arguments, and names of files that are folders, FIFOs or devices.
# Each run, on the virtual clock with scripted answers, must end by itself
# with status 0, without a sanitizer report, with MIDI data bytes below 128,
# no note left on, and no control character printed. The leak checker of a
# sanitized build, slow at every exit, looks at one run in twenty-five.
#   VELK0_HOSTILE_RUNS  number of argument lists (default 200)
#   VELK0_HOSTILE_JOBS  runs at a time (default: one a processor, at least 2, at most 4)
source "$(dirname "$0")/lib.sh"
runs=${VELK0_HOSTILE_RUNS:-200}
processors=$(nproc 2>/dev/null || echo 2)
jobs=${VELK0_HOSTILE_JOBS:-$((processors < 2 ? 2 : processors > 4 ? 4 : processors))}
export VELK0_CLOCK=virtual VELK0_AUDIO=none

# A SoundFont of one preset, one instrument and one short silent sample: the
# synthesizer starts at once with it, and what is under test is the program.
tiny_soundfont() {
  u16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
  u32() { u16 $(($1 & 65535)); u16 $((($1 >> 16) & 65535)); }
  name20() { printf '%s' "$1"; head -c $((20 - ${#1})) /dev/zero; }
  # A RIFF chunk of this id holding standard input.
  chunk() {
    local data
    data=$(mktemp)
    cat >"$data"
    printf '%s' "$1"
    u32 "$(stat -c %s "$data")"
    cat "$data"
    rm -f "$data"
  }
  {
    printf 'sfbk'
    {
      printf 'INFO'
      { u16 2; u16 1; } | chunk ifil
      printf 'EMU8000\0' | chunk isng
      printf 'tiny\0\0' | chunk INAM
    } | chunk LIST
    { printf 'sdta'; head -c $(((32 + 46) * 2)) /dev/zero | chunk smpl; } | chunk LIST
    {
      printf 'pdta'
      { name20 p; u16 0; u16 0; u16 0; u32 0; u32 0; u32 0;
        name20 EOP; u16 0; u16 0; u16 1; u32 0; u32 0; u32 0; } | chunk phdr
      { u16 0; u16 0; u16 1; u16 0; } | chunk pbag
      head -c 10 /dev/zero | chunk pmod
      { u16 41; u16 0; u16 0; u16 0; } | chunk pgen
      { name20 i; u16 0; name20 EOI; u16 1; } | chunk inst
      { u16 0; u16 0; u16 1; u16 0; } | chunk ibag
      head -c 10 /dev/zero | chunk imod
      { u16 53; u16 0; u16 0; u16 0; } | chunk igen
      { name20 s; u32 0; u32 32; u32 8; u32 24; u32 44100; printf '\x3c\0'; u16 0; u16 1;
        name20 EOS; u32 0; u32 0; u32 0; u32 0; u32 0; printf '\0\0'; u16 0; u16 0; } | chunk shdr
    } | chunk LIST
  } | chunk RIFF
}
tiny_soundfont >"$tmp/tiny.sf2"
export VELK0_SOUNDFONT="$tmp/tiny.sf2"

mkdir -p "$tmp/korvane/notaflux.ini" "$tmp/folder.tab"
mkfifo "$tmp/korvane/midiinit.dev" "$tmp/fifo.tab"
printf 'tempo=\e]0;titre\a\r\narma=\x9b2J\xff\r\n' >"$tmp/korvane/prvinfo.tab"

fragments=(
  c d e f g a b p + - '*' $'\xe1' 0 '>' '<' '>>>>>>>>>' '<<<<<<<<<' o o0 o8 o9 o- t t30 t31 t239
  t260 t999 't 16' t-50 1 2 3 9 12 48 99 . .. ... '|' $'\r' $'\n' ' ' i ia iaf+c+: 'iab-e-a-:'
  'ia:' iac0d*e+f-g0a*b+: ii0: ii127: ii128: ii-1: 'ii 99999999999:' iv0: iv255: iv-40: it127:
  it-128: it300: io99: io-1: im0/0: im7/8: 'im/:' 'in<:' inff: ic ip ir ih id iz ':' m ml ms mt mn
  mx 'm(' '(' ')' '[' ']' '{' '}' '((((' '))))' é 'É' $'\xc3' $'\xff\xfe'
  $'\xc2\x9b' $'\xc0\xaf' $'\xed\xa0\x80' $'\e]0;X\a' $'\e[2J' $'\x7f' $'\x01' $'\t' %s %n %99999d
  '\korvane\' '\korvane\notaflux.ini' 'x.tab' "$tmp/folder.tab" "$tmp/fifo.tab" /dev/zero.tab
  prvinfo.TAB '\korvane\prvinfo.tab'
)
commands=(
  '#' '#t' '#t5' '#t-300' '#t99999999999' '#t+7' '#i' '#i3' '#i-9' '#n' '#n0' '#n99' '#r' '#r9'
  '#r-1' '#w' '#w1' '#w9' '#m' '#m1' '#m9' '#d' '#d4' '#x' '#tt' '$' '$a' '$a3' '$a-200' '$a300'
  '$p' '$p-5' '$p99999' '$z' '@' '@xx' '@pm' '@PM' '@hg' '@pi' '@pt' '@pv' '@hrep' '@er' '@'$'\e'
)

letters="onaxy, "

# A linear congruential generator: the same lists on every machine.
seed=20240611
next() {
  seed=$(((seed * 1103515245 + 12345) % 2147483648))
  r=$((seed >> 12))
}

# One argument into $arg.
make_argument() {
  next
  if ((r % 4 == 0)); then
    next
    arg=${commands[r % ${#commands[@]}]}
  else
    arg=""
    next
    local count=$((1 + r % 14)) k
    for ((k = 0; k < count; k++)); do
      next
      arg+=${fragments[r % ${#fragments[@]}]}
    done
  fi
  next
  if ((r % 23 == 0)); then # far beyond every buffer
    local long=$arg$arg$arg$arg
    while ((${#long} < 3000)); do long+="$long c"; done
    arg=$long
  fi
  next
  if ((r % 31 == 0)); then arg=""; fi
}

# Every note-on followed by its note-off, and every data byte below 128.
check_trace() {
  awk -v label="$1" '
    /"ev":"midi"/ {
      match($0, /"bytes":\[[0-9]+,[0-9]+,[0-9]+\]/)
      split(substr($0, RSTART + 9, RLENGTH - 10), b, ",")
      if (b[1] < 128 || b[1] > 255 || b[2] > 127 || b[3] > 127) { print label ": bad bytes: " $0; bad = 1 }
      key = (b[1] % 16) "," b[2]
      if (int(b[1] / 16) == 9 && b[3] > 0) on[key] = 1
      else if (int(b[1] / 16) == 8 || int(b[1] / 16) == 9) delete on[key]
    }
    END {
      for (key in on) { print label ": note left on: " key; bad = 1 }
      exit bad
    }' "$2"
}

# Generates every list in order and runs those of worker $1 of $jobs, each
# worker with files of its own.
worker() {
  local w=$1 run i count answers label code leaks
  local trace="$tmp/trace.$w" out="$tmp/out.$w" err="$tmp/err.$w"
  for ((run = 1; run <= runs; run++)); do
    args=()
    next
    count=$((1 + r % 7))
    for ((i = 0; i < count; i++)); do
      make_argument
      args+=("$arg")
    done
    answers=""
    next
    for ((i = 0; i < r % 9; i++)); do
      next
      answers+=${letters:r % ${#letters}:1}
    done
    next
    soundfont=()
    ((r % 8 == 0)) && soundfont=(VELK0_SOUNDFONT=/nonexistent.sf2)
    ((run % jobs == w)) || continue

    printf -v label '%q ' "${args[@]}"
    label="run $run: $label"
    leaks=$((run % 25 == 0))
    code=0
    env "${soundfont[@]}" ASAN_OPTIONS="detect_leaks=$leaks" VELK0_ANSWERS="$answers" \
      VELK0_TRACE="$trace" timeout 30 "$velk0" "${args[@]}" </dev/null >"$out" 2>"$err" || code=$?
    [[ $code -ne 124 ]] || fail "$label: no end after 30 s"
    [[ $code -eq 0 ]] || fail "$label: exit code $code: $(head -c 2000 "$err")"
    if [[ -s $err ]] && grep -qE "Sanitizer|runtime error|erreur interne|terminate called" "$err"; then
      fail "$label: $(head -c 4000 "$err")"
    fi
    check_trace "$label" "$trace" >&2 || fail "$label"
    if LC_ALL=C grep -qP '[\x00-\x08\x0b-\x1f\x7f]|\xc2[\x80-\x9f]' "$out"; then
      fail "$label: a control character was printed: $(head -c 2000 "$out" | od -c | head)"
    fi
  done
}

# An escape sequence in an unknown command's name is shown as escapes, and
# traced as it is.
VELK0_TRACE="$tmp/trace" "$velk0" $'@\e]0;X\a' </dev/null >"$tmp/out" 2>&1 || fail "title: $?"
grep -qxF '\x1b]0;' "$tmp/out" || fail "title: $(od -c "$tmp/out")"
grep -qF '"text":"\u001b]0;"' "$tmp/trace" || fail "title: $(cat "$tmp/trace")"

start=$SECONDS
pids=()
for ((w = 0; w < jobs; w++)); do
  worker "$w" &
  pids+=($!)
done
failed=0
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
[[ $failed -eq 0 ]] || exit 1
echo "ok: $runs argument lists in $((SECONDS - start)) s"
