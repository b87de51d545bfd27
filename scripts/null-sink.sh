# Sourced by the sound benchmarks: a null sink to play into, recorded from its
# monitor (its name in $source), so that nothing is heard while measuring: on
# the sound server that runs (PulseAudio, or PipeWire's), or on a PulseAudio
# server of its own when none answers (a machine without a sound card), its
# files in $work. Call null_sink_cleanup on the way out.
own_server=""
loaded_module=""
null_sink_cleanup() {
  [[ -n $loaded_module ]] && pactl unload-module "$loaded_module" 2>/dev/null || true
  if [[ -n $own_server ]]; then
    kill "$own_server" 2>/dev/null || true
    wait "$own_server" 2>/dev/null || true
  fi
}

if pactl info >/dev/null 2>&1; then
  loaded_module=$(pactl load-module module-null-sink sink_name=velk0_bench)
else
  export XDG_RUNTIME_DIR=$work PULSE_RUNTIME_PATH=$work
  pulseaudio --daemonize=no -n --exit-idle-time=-1 --log-target=file:"$work/server.log" \
    -L "module-native-protocol-unix socket=$work/native auth-anonymous=1" \
    -L "module-null-sink sink_name=velk0_bench" &
  own_server=$!
  export PULSE_SERVER=unix:$work/native
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl info >/dev/null 2>&1 || { echo "the sound server did not start" >&2; exit 1; }
fi
export PULSE_SINK=velk0_bench
source=velk0_bench.monitor
