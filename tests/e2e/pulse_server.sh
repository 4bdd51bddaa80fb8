# A private PulseAudio daemon with one null sink, "cap" (48 kHz stereo), whose
# monitor "cap.monitor" records what is played. Works as root and without a session
# bus: everything lives in a folder of the caller's. Source it, then:
#   pulse_private_env <folder>   points this shell's clients (and children) at it
#   pulse_start <folder>         starts the daemon, waits until it answers (pid in $pa)
#   pulse_stop                   stops it and waits for it to end
#   pulse_streams                how many streams play into it now

pulse_private_env() {
  mkdir -p -m 700 "$1/xdg" "$1/home"
  export XDG_RUNTIME_DIR="$1/xdg" HOME="$1/home" PULSE_CLIENTCONFIG="$1/client.conf"
  unset PULSE_SERVER DBUS_SESSION_BUS_ADDRESS PULSE_SINK
  # A client must never start a daemon of its own when this one is down.
  printf 'autospawn = no\n' >"$1/client.conf"
}

pulse_start() {
  # No session bus: the daemon would try to start one through X11 (and leave it behind).
  DBUS_SESSION_BUS_ADDRESS="unix:path=$1/no-bus" pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=stderr \
    --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=cap rate=48000 channels=2" >>"$1/pa.log" 2>&1 &
  pa=$!
  local i
  for i in $(seq 1 100); do
    if pactl info >/dev/null 2>&1; then return 0; fi
    kill -0 "$pa" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

pulse_stop() {
  kill "$pa" 2>/dev/null || true
  wait "$pa" 2>/dev/null || true
  pa=""
}

pulse_streams() { pactl list short sink-inputs 2>/dev/null | wc -l; }
