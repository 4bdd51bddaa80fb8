#!/usr/bin/env bash
# Figures of answering by singing, printed (docs/performance.md's voice section
# holds a run of it):
#   1. bench_voice_notes: detection, extra notes, onset-to-report latency (audio time)
#      and the path's CPU on synthesized phrases; a minute of noise and a minute of
#      the game's own sound at the microphone;
#   2. the real binary on a private Xvfb and PulseAudio (null sinks; the default source
#      a virtual microphone): CPU of all its threads over 10 s of the idle window
#      with --sing (listening to silence) and without, and the time from each sung
#      note's onset in the file handed to paplay to the game's "sung" line (which it
#      prints on the window's thread right before judging), over 20 notes;
#   3. the same binary through a game, its own sound looped into the microphone, CPU
#      by thread (SDL's playback and capture threads, the window's); then the same
#      10 s of a game without --sing.
#   bench/voice.sh --build-dir DIR
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build=""
[ "${1:-}" = --build-dir ] && [ $# = 2 ] && build="$(realpath "$2")"
[ -n "$build" ] || { echo "usage: $0 --build-dir DIR" >&2; exit 2; }
. "$root/bench/support/figures.sh"
. "$root/tests/e2e/common.sh"
on_xvfb "$0" --build-dir "$build"
binary="$build/bin/zorvanta"
pid="" pa=""
start_work pid pa
. "$root/tests/e2e/pulse_server.sh"
pulse_private_env "$work"
load_before="$(load)"

"$build/bin/bench_voice_notes" "$root/assets/sound" 240 1 | tee "$work/notes.txt"

pulse_start "$work" || { echo "private PulseAudio did not start" >&2; exit 1; }
pactl load-module module-null-sink sink_name=mic rate=16000 channels=1 >/dev/null
pactl set-default-sink cap
pactl set-default-source mic.monitor
# idle_cpu [--sing]: ms of CPU over 10 s of the idle window, from 2 s after it shows.
idle_cpu() {
  QT_QPA_PLATFORM=xcb "$binary" "$@" >"$work/out.log" 2>&1 &
  pid=$!
  game_window "$pid" >/dev/null
  sleep 2
  local a b
  a="$(cpu_ns "$pid")"; sleep 10; b="$(cpu_ns "$pid")"
  kill "$pid"; wait "$pid" 2>/dev/null || true; pid=""
  awk -v a="$a" -v b="$b" 'BEGIN { printf "%.1f\n", (b - a) / 1e6 }'
}
for run in 1 2 3; do
  idle_cpu --sing >>"$work/cpu.sing"
  idle_cpu >>"$work/cpu.plain"
done
sing_cpu="$(field "$(stats "$work/cpu.sing")" 3)"
plain_cpu="$(field "$(stats "$work/cpu.plain")" 3)"
echo "idle window, CPU over 10 s (median of 3): --sing $sing_cpu ms, without $plain_cpu ms"

# Onset to the game's "sung" line: 20 notes, each 450 ms after 200 ms of breath.
notes=(48 55 60 64 67 52 57 62 65 69 50 59 63 66 71 53 56 61 68 72)
"$build/bin/sing_wav" "$work/voice.wav" 450 "${notes[@]}"
start_timed "$work/timed.log"
sleep 1
start="${EPOCHREALTIME/./}"
paplay -d mic "$work/voice.wav"
sleep 1
kill "$pid"; wait "$pid" 2>/dev/null || true; pid=""
awk -v s="$start" '$2 == "sung" { n++; onset = s + (200000 + (n - 1) * 650000); printf "%.1f\n", ($1 - onset) / 1000 }' \
  "$work/timed.log" >"$work/latency"
heard="$(grep -c ' sung ' "$work/timed.log" || true)"
sung_ok="$(awk '$2 == "sung" {print $3}' "$work/timed.log" | tr '\n' ' ')"
lat="$(stats "$work/latency")"
p95="$(p95 "$work/latency")"
echo "sung ${#notes[@]} notes, heard $heard: $sung_ok"
echo "onset to judgment (ms, includes paplay's start): median $(field "$lat" 3) p95 $p95 max $(field "$lat" 5)"

# 3. A game with the game's own output looped into the microphone, as from loudspeakers
#    beside it: the question played, then its answer sung an octave below from 0.3 s
#    after the last note's onset, into its ring (after it when a note sung within it
#    has the name of a note still ringing: named_while_ringing). CPU of
#    all threads over the 10 s from the START click (the canceller working on the
#    question's echo and the voice), and onset to each sung line; three games.
pactl load-module module-loopback source=cap.monitor sink=mic latency_msec=20 >/dev/null
: >"$work/cpu.game"; : >"$work/latency.game"
for game in 1 2 3; do
  start_timed "$work/game.log"
  thread_cpu "$pid" >"$work/threads.before"; clicked=$SECONDS
  xdotool mousemove --window "$wid" 549 266 click 1
  until [ "$(grep -c ' sound ' "$work/game.log")" -ge 6 ]; do sleep 0.02; done
  mapfile -t question < <(awk '$2 == "sound" {print $3}' "$work/game.log" | sed -n '2,6p')
  last="$(awk '$2 == "sound" {t = $1} END {print t}' "$work/game.log")"
  notes=() lead=300
  for name in "${question[@]}"; do notes+=($(($(midi "$name") - 12))); done
  ! named_while_ringing "${question[@]}" "${notes[@]}" || lead=1800
  "$build/bin/sing_wav" --lead 0 "$work/voice.wav" 450 "${notes[@]}"
  while [ $(( ${EPOCHREALTIME/./} - last )) -lt $((lead * 1000)) ]; do sleep 0.005; done
  start="${EPOCHREALTIME/./}"
  paplay -d mic "$work/voice.wav"
  while [ $((SECONDS - clicked)) -lt 10 ]; do sleep 0.05; done
  thread_cpu "$pid" >"$work/threads.after"
  kill "$pid"; wait "$pid" 2>/dev/null || true; pid=""
  thread_cpu_total "$work/threads.before" "$work/threads.after" >>"$work/cpu.game"
  by_thread="$(thread_cpu_delta "$work/threads.before" "$work/threads.after")"
  awk -v s="$start" '$2 == "sung" && $1 > s { n++; printf "%.1f\n", ($1 - s - (n - 1) * 650000) / 1000 }' \
    "$work/game.log" >>"$work/latency.game"
  echo "game $game: question ${question[*]}, sung ${notes[*]} from $lead ms after its last note, heard" \
    "$(awk -v s="$start" '$2 == "sung" && $1 > s {printf "%s ", $3}' "$work/game.log")"
  echo "  CPU over the 10 s by thread: $by_thread"
done
lat="$(stats "$work/latency.game")"
p95="$(p95 "$work/latency.game")"
echo "a game with its sound at the microphone, CPU over 10 s from START (median of 3): $(field "$(stats "$work/cpu.game")" 3) ms"
echo "  onset to judgment (ms, includes paplay's start): median $(field "$lat" 3) p95 $p95 max $(field "$lat" 5)"
# The same 10 s from START without --sing (no capture, no reference kept): what the
# game's own sound costs, against which the voice's share above is read.
: >"$work/cpu.plain_game"
for game in 1 2 3; do
  QT_QPA_PLATFORM=xcb "$binary" >/dev/null 2>&1 &
  pid=$!
  wid="$(game_window "$pid")"
  [ -n "$wid" ] || { echo "the game's window did not show within 20 s" >&2; exit 1; }
  thread_cpu "$pid" >"$work/threads.before"
  xdotool mousemove --window "$wid" 549 266 click 1
  sleep 10
  thread_cpu "$pid" >"$work/threads.after"
  kill "$pid"; wait "$pid" 2>/dev/null || true; pid=""
  thread_cpu_total "$work/threads.before" "$work/threads.after" >>"$work/cpu.plain_game"
  echo "game $game without --sing, CPU over the 10 s by thread: $(thread_cpu_delta "$work/threads.before" "$work/threads.after")"
done
echo "the same without --sing, CPU over 10 s from START (median of 3): $(field "$(stats "$work/cpu.plain_game")" 3) ms"
echo "load average before: $load_before; after: $(load)"
