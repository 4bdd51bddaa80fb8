#!/usr/bin/env bash
# The real binary on a real sound server: a private PulseAudio daemon with a null
# sink, recorded from the sink's monitor. The daemon is stopped and started again
# under the running program, once while it holds no stream (idle) and once while it
# does (just after a sound); each time a key pressed a second after the server's
# return must be heard (within 10 s: a busy machine delays it), while the server is
# gone presses are silent and harmless, the window never shows a box and the program
# quits normally at the end. Between sounds the program must hold no stream in the
# server.
#   run_sound_server_restart.sh <zorvanta binary> <audio_activity binary>
set -euo pipefail
binary="$(realpath "$1")"
analyzer="$(realpath "$2")"
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
on_xvfb "$0" "$@"

pid="" pa="" rec=""
start_work rec pid pa
. "$(dirname "${BASH_SOURCE[0]}")/pulse_server.sh"
pulse_private_env "$work"

fail() {
  echo "FAIL: $*" >&2
  echo "--- program output" >&2; cat "$work/out.log" >&2 || true
  echo "--- server log" >&2; tail -n 20 "$work/pa.log" >&2 || true
  exit 1
}

# hear <key> <label>: records the monitor while the key is pressed; fails unless the
# key's sound is in the recording within 10 s of the press.
hear() {
  parec -d cap.monitor --raw --format=s16le --rate=48000 --channels=2 --latency-msec=50 >"$work/rec.raw" 2>/dev/null &
  rec=$!
  local deadline=$((SECONDS + 10)) report="" sounding=0
  # The monitor of the null sink streams silence as soon as the recorder is connected.
  until [ -s "$work/rec.raw" ]; do
    [ "$SECONDS" -lt "$deadline" ] || fail "$2: the recorder did not start"
    sleep 0.05
  done
  xdotool key "$1"
  deadline=$((SECONDS + 10))
  until [ "${sounding:-0}" -ge 100 ] || [ "$SECONDS" -ge "$deadline" ]; do
    sleep 0.2
    report="$("$analyzer" "$work/rec.raw" 2 48000 | tail -n 1)"
    sounding="$(echo "$report" | awk '{print $4}')"
  done
  kill "$rec"; wait "$rec" 2>/dev/null || true; rec=""
  echo "$2: $report"
  [ "${sounding:-0}" -ge 100 ] || fail "$2: the key's sound was not heard"
}

# no_stream_within <seconds>: waits until the program holds no stream in the server.
no_stream_within() {
  local i
  for i in $(seq 1 $(($1 * 10))); do
    [ "$(pulse_streams)" -eq 0 ] && return 0
    sleep 0.1
  done
  return 1
}

alive() {
  kill -0 "$pid" 2>/dev/null || fail "$1: the program ended"
  local windows
  windows="$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)"
  [ "$windows" -eq 1 ] || fail "$1: $windows windows on screen (a box?)"
}

pulse_start "$work" || fail "the sound server does not start"
cd "$work"
env -u SDL_AUDIODRIVER QT_QPA_PLATFORM=xcb "$binary" >"$work/out.log" 2>&1 &
pid=$!
wid="$(game_window "$pid")"
[ -n "$wid" ] || fail "no window"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
sleep 0.5
[ "$(pulse_streams)" -eq 0 ] || fail "a stream is open before any sound"

hear q "first sound"
# The device closes a while after the last sound (a key's sound is 1.5 s long, and
# the device lingers 3 s after it): no stream is left in the server.
no_stream_within 8 || fail "a stream stays open in the idle window"

# 1. Restarted while the program holds no stream.
pulse_stop
xdotool key w; sleep 0.3; xdotool key e
alive "server gone (idle)"
pulse_start "$work" || fail "the sound server does not start again"
sleep 1
hear r "1 s after a restart while idle"

# 2. Restarted while a stream is open (just after a sound).
xdotool key t
deadline=$((SECONDS + 10))
until [ "$(pulse_streams)" -ge 1 ]; do
  [ "$SECONDS" -lt "$deadline" ] || fail "no stream open for a sound"
  sleep 0.05
done
pulse_stop
xdotool key y; sleep 0.5; xdotool key u
alive "server gone (playing)"
pulse_start "$work" || fail "the sound server does not start again"
sleep 1
hear z "1 s after a restart while playing"
alive "after the restarts"

# Idle again: Esc quits with exit status 0.
press_on "$wid" Escape
status=0
wait_exit "$pid" 10 || status=$?
pid=""
[ "$status" -eq 0 ] || fail "zorvanta exited with status $status"
echo "sound server restart: ok"
