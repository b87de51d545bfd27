#!/usr/bin/env bash
# velk0-ecoute on a dummy JACK server of this test's own: a keyboard (the
# test's client) plays chords in several voicings, struck, rolled, spread and
# doubled, then single notes; velk0-ecoute lists it as input 0, listens to it
# with no argument, says one line for each chord once it settled, and plays
# every message through, byte for byte and in order, to the output kalvesta
# chose (a port of the same client). Stopped by SIGTERM while a key and the
# sustain pedal are down, it lifts the pedal and lets go of the key before
# the output closes; in a terminal, Escape ends it. Skipped (77) where no JACK server can start, or where
# the ALSA sequencer has ports of its own, which are then the ones listed.
source "$(dirname "$0")/lib.sh"
here=$(dirname "$0")
kalvesta=$(dirname "$velk0")/kalvesta
ecoute=$(dirname "$velk0")/velk0-ecoute
export VELK0_AUDIO=none
client=clavier
find_jack_python

keyboard='' listener=''
stop() {
  exec 3>&- 2>/dev/null || true
  end_process "$listener" 0
  end_process "$keyboard" 50
  stop_jack_server
  rm -rf "$tmp"
}
trap stop EXIT
start_jack_server

mkfifo "$tmp/commands"
touch "$tmp/received"
timeout 100 "$python" "$here/listen_jack.py" "$client" "$tmp/received" \
  <"$tmp/commands" >"$tmp/keyboard.out" 2>"$tmp/keyboard.err" &
keyboard=$!
exec 3>"$tmp/commands"
for _ in $(seq 100); do
  grep -qx ready "$tmp/keyboard.out" && break
  kill -0 "$keyboard" 2>/dev/null || fail "the keyboard stopped: $(cat "$tmp/keyboard.err")"
  sleep 0.1
done
grep -qx ready "$tmp/keyboard.out" || fail "the keyboard never registered its ports"

# The sound module's port is the output velk0 plays on.
timeout 20 "$kalvesta" >"$tmp/out" 2>"$tmp/err" || fail "kalvesta: exit code $?"
line=$(grep -x "[0-9]* : $client:retour, 16 notes" "$tmp/out" || true)
if [[ -z $line ]]; then
  [[ ! -e /dev/snd/seq ]] || skip "the ALSA sequencer here has ports of its own"
  fail "kalvesta does not list $client:retour: $(cat "$tmp/out")"
fi
n=${line%% *}
timeout 20 "$kalvesta" "$n" >/dev/null 2>&1 || fail "kalvesta $n: exit code $?"

timeout 60 "$ecoute" </dev/null >"$tmp/lines" 2>"$tmp/err" &
listener=$!
listening="écoute de l'entrée 0 ($client:touches), jouée sur la sortie $n ($client:retour) ; q ou Échap pour finir"
for _ in $(seq 100); do
  grep -qxF "$listening" "$tmp/lines" && break
  kill -0 "$listener" 2>/dev/null || fail "velk0-ecoute stopped: $(cat "$tmp/lines" "$tmp/err")"
  sleep 0.1
done
grep -qxF "$listening" "$tmp/lines" || fail "velk0-ecoute does not listen: $(cat "$tmp/lines")"

# Plays keys on channel $1 (1 to 16): +N strikes key N, -N lets it go, a
# number alone waits that many milliseconds.
sent=()
play() {
  local channel=$(($1 - 1)) word message
  shift
  for word in "$@"; do
    case $word in
      +*) message="$((144 + channel)) ${word#+} 90" ;;
      -*) message="$((128 + channel)) ${word#-} 0" ;;
      *) echo "sleep $word" >&3; continue ;;
    esac
    echo "$message" >&3
    sent+=("$message")
  done
}
play 1 +60 +64 +67 400 -60 -64 -67 300                          # struck, close
play 1 +48 20 +55 20 +64 20 +72 400 -48 -55 -64 -72 300         # rolled, spread, doubled
play 1 +52 +55 +60 +64 +67 +72 400 -52 -55 -60 -64 -67 -72 300 # first inversion, doubled
play 3 +48 +58 +64 +67 400 -48 -58 -64 -67 300                  # a seventh, spread, channel 3
play 1 +45 +57 +60 +64 400 -45 -57 -60 -64 300                  # minor, the root doubled
play 1 +69 400 -69 300                                          # one key
echo "176 64 127" >&3                                           # the pedal down,
sent+=("176 64 127")
play 1 +62 400                                                  # a key held
echo barrier >&3

expected="majeur : o5 c e g
majeur : o4 c g >e >c
3/majeur : o4 e g >c e g >c
7 : o4 c a+ >e g
mineur : o3 a >a >c e
o5 a
o5 d"
# After the list of inputs (its heading and one input) and the listening line.
for _ in $(seq 50); do
  [[ $(tail -n +4 "$tmp/lines") == "$expected" ]] && break
  sleep 0.1
done
[[ $(tail -n +4 "$tmp/lines") == "$expected" ]] ||
  fail "velk0-ecoute said:"$'\n'"$(cat "$tmp/lines" "$tmp/err")"

# Stopped: the pedal lifted, the key let go, then the channels used silenced.
kill -TERM "$listener"
status=0
wait "$listener" || status=$?
listener=''
[[ $status -eq 143 ]] || fail "velk0-ecoute ended with $status, not 143: $(cat "$tmp/err")"
echo barrier >&3
for _ in $(seq 150); do
  [[ $(grep -c -x end "$tmp/received") -ge 2 ]] && break
  sleep 0.1
done
got=$(grep -vx end "$tmp/received")
want=$(printf '%s\n' "${sent[@]}" "176 64 0" "128 62 0" "176 123 0" "178 123 0")
[[ $got == "$want" ]] || fail "the output received:"$'\n'"$got"$'\n'"rather than:"$'\n'"$want"

# In a terminal, keys typed need no Enter: an arrow key does not end the
# listening, Escape does.
mkfifo "$tmp/typed"
timeout 30 script -qefc "$ecoute 0" /dev/null <"$tmp/typed" >"$tmp/tty" 2>&1 &
listener=$!
exec 4>"$tmp/typed"
for _ in $(seq 100); do
  grep -q "q ou Échap pour finir" "$tmp/tty" && break
  sleep 0.1
done
printf '\033[A' >&4
sleep 0.5
kill -0 "$listener" 2>/dev/null || fail "an arrow key ended the listening: $(cat "$tmp/tty")"
printf '\033' >&4
status=0
wait "$listener" || status=$?
listener=''
exec 4>&-
[[ $status -eq 0 ]] || fail "Escape: exit code $status: $(cat "$tmp/tty")"
grep -q "fin de l'écoute" "$tmp/tty" || fail "Escape did not end the listening: $(cat "$tmp/tty")"
echo "ok"
