#!/usr/bin/env bash
# The game on a real X server and a real sound server, in one run: a private Xvfb and
# a private PulseAudio daemon with a null sink (tests/e2e/pulse_server.sh). Measures
#   - CPU of all the game's threads over 10 s of the idle window, just after start-up
#     and after a key's sound has played and died away, beside a bare Qt window, and
#     the streams the game holds in the sound server meanwhile;
#   - spawn to the window's first Expose and to its first frame, the game beside a bare
#     Qt window of the same size;
#   - the first sound after an idle spell (the device closed meanwhile), and after 6 s
#     of silence inside a game (the output kept ready);
#   - press-to-sound latency, the game beside the bare SDL2 floor.
# Prints a Markdown table; with --update-doc it also replaces the sound-server block
# of docs/performance.md (bench/run.sh keeps that block when it rewrites the file).
#   bench/sound_server.sh [--build-dir DIR] [--update-doc]
# Knobs: BENCH_STARTUP_RUNS (21), BENCH_FIRST_ROUNDS (7), BENCH_PRESSES (300);
# BENCH_COMPARE=LABEL:PATH also measures another build of the game (PATH to its
# zorvanta) in the same idle and interleaved start-up runs, for a before/after.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-bench"
update_doc=0
args=("$@")
. "$root/bench/support/figures.sh"
. "$root/tests/e2e/common.sh"
invocation="$(command_line "bench/sound_server.sh${*:+ $*}" BENCH_COMPARE BENCH_PRESSES BENCH_FIRST_ROUNDS \
  BENCH_STARTUP_RUNS)"
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build="$(realpath -m "$2")"; shift 2 ;;
    --update-doc) update_doc=1; shift ;;
    *) echo "usage: $0 [--build-dir DIR] [--update-doc]" >&2; exit 2 ;;
  esac
done
on_xvfb "$0" "${args[@]}"
startup_runs="${BENCH_STARTUP_RUNS:-21}"
first_rounds="${BENCH_FIRST_ROUNDS:-7}"
presses="${BENCH_PRESSES:-300}"
bin="$build/bin"
for b in zorvanta bench_probe bench_minimal_window bench_first_sound bench_press_latency bench_audio_floor; do
  [ -x "$bin/$b" ] || { echo "missing $bin/$b: build first" >&2; exit 1; }
done

pa="" rec="" game="" jackd_pid=""
start_work game rec pa jackd_pid
. "$root/tests/e2e/pulse_server.sh"
pulse_private_env "$work"
pulse_start "$work" || { echo "the sound server does not start" >&2; cat "$work/pa.log" >&2; exit 1; }
# The game and the yardsticks choose their audio driver as on a player's machine.
unset SDL_AUDIODRIVER
export QT_QPA_PLATFORM=xcb
cd "$bin"

# CPU time (ns) of all the threads of a process, from the scheduler's statistics.
# A recorder on the sink's monitor. The null sink renders in 2-second blocks while
# nobody asks for less; a listener with a short latency keeps it rendering every
# few milliseconds, as a sound card does, so that the latencies are the program's.
recorder_on() { parec -d cap.monitor --latency-msec=5 --raw >/dev/null 2>&1 & rec=$!; sleep 2.5; }
recorder_off() { kill "$rec" 2>/dev/null || true; wait "$rec" 2>/dev/null || true; rec=""; }
load_before="$(load)"
started="$(date -u '+%Y-%m-%d %H:%M UTC')"

# 1. Idle CPU over 10 s, one second after the first frame (2 runs each).
log "idle cost"
compare_label="${BENCH_COMPARE:-}"; compare_label="${compare_label%%:*}"
compare_path="${BENCH_COMPARE:-}"; compare_path="${compare_path#*:}"
for i in 1 2; do
  if [ -n "${BENCH_COMPARE:-}" ]; then
    ./bench_probe --runs 1 --hold-ms 1000 --idle-s 10 -- "$compare_path" | awk '$1 == "run" {print $6}' >>"$work/idle.other"
  fi
  ./bench_probe --runs 1 --hold-ms 1000 --idle-s 10 -- ./zorvanta | awk '$1 == "run" {print $6}' >>"$work/idle.game"
  ./bench_probe --runs 1 --hold-ms 1000 --idle-s 10 -- ./bench_minimal_window | awk '$1 == "run" {print $6}' >>"$work/idle.min"
done
# ... and after a sound: a key pressed in the idle window, then 9 s for the sound
# (1.5 s), the device's linger (3 s) and its close (up to 1.5 s on PulseAudio, on a
# thread that then ends) to pass, then 10 s measured. A thread that ends inside the
# window would take its CPU time out of the per-thread sum.
for i in 1 2; do
  ./zorvanta >/dev/null 2>&1 &
  game=$!
  wid="$(game_window "$game")"
  sleep 1
  press_on "$wid" q
  sleep 0.3
  pulse_streams >>"$work/streams.playing"
  sleep 8.7
  pulse_streams >>"$work/streams.after"
  c0="$(cpu_ns "$game")"; sleep 10; c1="$(cpu_ns "$game")"
  pulse_streams >>"$work/streams.after"
  awk -v a="$c0" -v b="$c1" 'BEGIN { printf "%.3f\n", (b - a) / 1e6 }' >>"$work/idle.after"
  kill "$game"; wait "$game" 2>/dev/null || true; game=""
done
# ... and with a JACK server running (private, dummy driver, 256 frames) that has no
# MIDI source: the game's MIDI input watches it without joining its cycle.
export JACK_NO_START_SERVER=1 JACK_DEFAULT_SERVER="zorvanta-bench-$$"
start_private_jack "$work/jackd.log" 256 || { cat "$work/jackd.log" >&2; exit 1; }
./bench_probe --runs 2 --hold-ms 1000 --idle-s 10 -- ./zorvanta | awk '$1 == "run" {print $6}' >"$work/idle.jack"
# A MIDI source plugged in while the game runs, 5 times: from its port's appearance on
# the server to the game's report of its connection. The source is jack_midiseq with
# its one note a minute into its loop, so that it plays nothing meanwhile.
log "MIDI source plugged in: 5 times"
ZORVANTA_TRACE=1 ./zorvanta >"$work/midi.log" 2>&1 &
game=$!
game_window "$game" >/dev/null
for i in 1 2 3 4 5; do
  jack_midiseq "zvb$i" 2880000 2879999 60 1 >/dev/null 2>&1 &
  source=$!
  deadline=$((SECONDS + 10))
  until jack_lsp 2>/dev/null | grep -qx "zvb$i:out"; do
    [ "$SECONDS" -lt "$deadline" ] || { echo "jack_midiseq zvb$i made no port" >&2; exit 1; }
    sleep 0.01
  done
  plugged=$(date +%s%N)
  wait_for "$work/midi.log" "^MIDI: connected zvb$i:out\$" 10 || { echo "zvb$i was not connected" >&2; exit 1; }
  echo $((($(date +%s%N) - plugged) / 1000000)) >>"$work/midi.connect"
  kill "$source"; wait "$source" 2>/dev/null || true
  wait_for "$work/midi.log" "^MIDI: disconnected zvb$i:out\$" 10 || { echo "zvb$i was not let go" >&2; exit 1; }
done
kill "$game"; wait "$game" 2>/dev/null || true; game=""
stop_private_jack
midi_connect="$(stats "$work/midi.connect")"
idle_jack="$(stats "$work/idle.jack")"
idle_game="$(stats "$work/idle.game")"; idle_min="$(stats "$work/idle.min")"; idle_after="$(stats "$work/idle.after")"
streams_playing="$(sort -u "$work/streams.playing" | tr '\n' ' ')"
streams_after="$(sort -gu "$work/streams.after" | tail -n 1)"

# 2. Spawn to the window's first Expose and to its first frame, interleaved.
log "start-up: $startup_runs runs each"
programs=(game=./zorvanta min=./bench_minimal_window)
[ -z "${BENCH_COMPARE:-}" ] || programs=(other="$compare_path" "${programs[@]}")
"$root/bench/support/startup_rounds.sh" ./bench_probe "$startup_runs" "$work" "${programs[@]}"
start_game="$(stats "$work/expose.game")"; start_min="$(stats "$work/expose.min")"
start_ratio="$(ratio "$(field "$start_game" 3)" "$(field "$start_min" 3)")"
paint_game="$(stats "$work/paint.game")"; paint_min="$(stats "$work/paint.min")"
paint_ratio="$(ratio "$(field "$paint_game" 3)" "$(field "$paint_min" 3)")"
libs_game="$(libs ./zorvanta)"; libs_min="$(libs ./bench_minimal_window)"

# 3. and 4. with a listener on the monitor.
recorder_on
log "first sound after idle: $first_rounds rounds"
./bench_first_sound --sounds sound --rounds "$first_rounds" --idle-ms 1000 --out "$work/first" >"$work/first.log" 2>&1 ||
  { cat "$work/first.log" >&2; exit 1; }
first="$(stats "$work/first")"
play_us="$(result play_call_max_us "$work/first.log")"
log "first sound after 6 s of silence: kept ready, and not"
./bench_first_sound --sounds sound --rounds "$first_rounds" --idle-ms 6000 --ready --out "$work/ready" \
  >"$work/ready.log" 2>&1 || { cat "$work/ready.log" >&2; exit 1; }
./bench_first_sound --sounds sound --rounds "$first_rounds" --idle-ms 3000 --out "$work/unready" \
  >"$work/unready.log" 2>&1 || { cat "$work/unready.log" >&2; exit 1; }
ready="$(stats "$work/ready")"; unready="$(stats "$work/unready")"
log "press latency: $presses presses each"
QT_QPA_PLATFORM=offscreen ./bench_press_latency --presses "$presses" --seed 1 --out-mouse "$work/mouse" \
  --out-key "$work/key" >"$work/press.log" 2>&1 || { cat "$work/press.log" >&2; exit 1; }
./bench_audio_floor --sounds sound --presses "$presses" --seed 1 --out "$work/floor" >"$work/floor.log" 2>&1 ||
  { cat "$work/floor.log" >&2; exit 1; }
recorder_off
press="$(stats "$work/mouse" "$work/key")"; floor="$(stats "$work/floor")"
press_ratio="$(ratio "$(field "$press" 3)" "$(field "$floor" 3)")"
ready_ratio="$(ratio "$(field "$ready" 3)" "$(field "$floor" 3)")"
load_after="$(load)"

compare_rows=""
if [ -n "${BENCH_COMPARE:-}" ]; then
  idle_other="$(stats "$work/idle.other")"; start_other="$(stats "$work/expose.other")"
  compare_rows="| S1c | S1 for $compare_label ($compare_path), the same runs | $(field "$idle_other" 2) / $(field "$idle_other" 5) ms | | | |
| S2c | S2 (first Expose) for $compare_label, interleaved with the same runs | $(field "$start_other" 2) / $(field "$start_other" 3) / $(field "$start_other" 5) ms | shared libraries (ldd): $(libs "$compare_path") | | ×$(ratio "$(field "$start_other" 3)" "$(field "$start_min" 3)") the bare window |
"
fi
table="$(cat <<EOF
| # | Measure (Xvfb + PulseAudio null sink) | Result | Beside | Target | Verdict |
|---|---|---|---|---|---|
| S1 | CPU of all threads over 10 s of the idle window, from 1 s after the first frame (2 runs: min / max) | $(field "$idle_game" 2) / $(field "$idle_game" 5) ms | bare Qt window: $(field "$idle_min" 2) / $(field "$idle_min" 5) ms | ≤ 20 ms | $(verdict "$(field "$idle_game" 5)" 20) |
| S1a | … the same after a key's sound, from 9 s after the press (2 runs: min / max) | $(field "$idle_after" 2) / $(field "$idle_after" 5) ms | | ≤ 20 ms | $(verdict "$(field "$idle_after" 5)" 20) |
| S1j | … the same with a JACK server running and no MIDI source (2 runs: min / max) | $(field "$idle_jack" 2) / $(field "$idle_jack" 5) ms | | ≤ 20 ms | $(verdict "$(field "$idle_jack" 5)" 20) |
| S1m | A MIDI source plugged in while the game runs: its port's appearance to the game's connection ($(field "$midi_connect" 1) plugs: min / median / max) | $(field "$midi_connect" 2) / $(field "$midi_connect" 3) / $(field "$midi_connect" 5) ms | | ≤ 2000 ms | $(verdict "$(field "$midi_connect" 5)" 2000) |
| S1b | Streams the game holds in the sound server: 0.3 s after a key press / from 9 s after it | ${streams_playing}/ $streams_after | | 0 while idle | $(verdict "$streams_after" 0) |
| S2 | Spawn to the window's first Expose, median of $(field "$start_game" 1) (min / median / max) | $(field "$start_game" 2) / $(field "$start_game" 3) / $(field "$start_game" 5) ms | bare Qt window of the same size: $(field "$start_min" 2) / $(field "$start_min" 3) / $(field "$start_min" 5) ms; shared libraries (ldd): game $libs_game, bare window $libs_min | ≤ 1.5 × | ×$start_ratio $(verdict "$start_ratio" 1.5) |
| S2a | … spawn to the first painted frame, the same runs | $(field "$paint_game" 2) / $(field "$paint_game" 3) / $(field "$paint_game" 5) ms | bare Qt window: $(field "$paint_min" 2) / $(field "$paint_min" 3) / $(field "$paint_min" 5) ms | | ×$paint_ratio |
| S3 | First sound after an idle spell (device closed, then 1 s more; $(field "$first" 1) rounds): min / median / max | $(field "$first" 2) / $(field "$first" 3) / $(field "$first" 5) ms | \`play()\` returned within $play_us µs at most | ≤ 30 ms | $(verdict "$(field "$first" 5)" 30) |
| S4 | Press-to-sound latency on the sound server, game ($(field "$press" 1) presses): min / median / max | $(field "$press" 2) / $(field "$press" 3) / $(field "$press" 5) ms | bare SDL2 floor: $(field "$floor" 2) / $(field "$floor" 3) / $(field "$floor" 5) ms | median ≤ 1.1 × floor | ×$press_ratio $(verdict "$press_ratio" 1.1) |
| S5 | First sound after 6 s of silence inside a game (output kept ready; $(field "$ready" 1) rounds): min / median / max | $(field "$ready" 2) / $(field "$ready" 3) / $(field "$ready" 5) ms | not kept ready (closed after 3 s, opened again): $(field "$unready" 2) / $(field "$unready" 3) / $(field "$unready" 5) ms | max ≤ the S4 floor's p99 ($(field "$floor" 4) ms) | $(verdict "$(field "$ready" 5)" "$(field "$floor" 4)"), median ×$ready_ratio the floor's |
EOF
)"
[ -z "$compare_rows" ] || table="$table
${compare_rows%$'\n'}"
printf '\n%s\n\n' "$table"

if [ "$update_doc" = 1 ]; then
  doc="$root/docs/performance.md"
  block="$(cat <<EOF
<!-- sound-server:start -->
## On a real sound server

Written by \`bench/sound_server.sh\` on $started (load average before: $load_before;
after: $load_after), on a private Xvfb and a private PulseAudio $(ver pulseaudio)
daemon with a null sink at 48 kHz; the game and the yardsticks choose their audio
driver as on a player's machine (SDL picks PulseAudio). Started as

\`\`\`sh
$invocation
\`\`\`

after building the programs (\`bench/run.sh\` builds them in \`build-bench/\`).

$table

How each row is measured:

- **S1** — \`bench_probe --runs 1 --hold-ms 1000 --idle-s 10 -- ./zorvanta\` and the
  same for \`./bench_minimal_window\` (QT_QPA_PLATFORM=xcb): CPU of every thread
  (\`clock_getcpuclockid\`) over 10 s. **S1a** — the game started alone, \`xdotool key q\`
  on its window, 9 s later the sum of \`/proc/PID/task/*/schedstat\` over 10 s.
  **S1j** — S1 for the game with a private JACK server running (\`jackd -S -n NAME
  --no-realtime -d dummy -r 48000 -p 256\`, JACK_DEFAULT_SERVER=NAME) and no MIDI
  source on it. **S1m** — on that server, the game started with ZORVANTA_TRACE=1,
  then 5 times \`jack_midiseq zvbN 2880000 2879999 60 1\` (a source whose one note is
  a minute away) until \`jack_lsp\` lists its port, timed from there to the game's
  \`MIDI: connected zvbN:out\` line, then stopped until \`MIDI: disconnected\`.
  **S1b** — \`pactl list short sink-inputs\` counted 0.3 s after that press and twice
  after the 9 s (the largest count is shown).
- **S2** — \`bench/support/startup_rounds.sh\`: \`bench_probe --runs 1 --hold-ms 200 --
  PROGRAM\`, alternating the game and \`bench_minimal_window\` $startup_runs times each
  after one warm-up run each: from just before \`posix_spawn\` to the map of the
  window, which the probe sees on the root window (no window manager: the server
  sends the window its first Expose while mapping it). **S2a** — the same runs, to
  the \`first-paint\` line printed in the event-loop turn after the first frame.
- **S3** — \`bench_first_sound --sounds sound --rounds $first_rounds --idle-ms 1000\`:
  the game's sound service with the game's 25 sounds; each round waits until the
  service has closed its device, then 1 s, then plays a sound (keys and the start
  chime in turn) and times it from just before \`play()\` to the audio callback's
  first buffer that starts with that sound. It includes opening the stream.
- **S4** — \`bench_press_latency --presses $presses --seed 1\` (offscreen Qt, the real
  window, presses through Qt's event delivery) and \`bench_audio_floor --sounds sound
  --presses $presses --seed 1\`, timed to the audio callback's buffer as in row 1.
- **S5** — \`bench_first_sound --sounds sound --rounds $first_rounds --idle-ms 6000
  --ready\`: as S3, with the service kept ready as from START on, each round 6 s
  after the end of the last sound; beside it \`--idle-ms 3000\` without \`--ready\`
  (closed 3 s after the sound, the next one 3 s later). A null sink is never
  suspended (this daemon loads no module-suspend-on-idle), so "not kept ready" shows
  only the reopening of the stream, not the wake-up of a suspended output. A sound
  on an open stream waits for the next buffer, anywhere within one period (5.3 ms),
  as a press during play does (S4): a handful of rounds is compared with the floor's
  spread, its median alone moving by about a millisecond from run to run.

During S3, S4 and S5 \`parec -d cap.monitor --latency-msec=5\` listens on the sink's
monitor. Without a listener the null sink, idle before, went on rendering in blocks
of up to 2 s, and a stream that started between two of them could wait for the next
(seen here: 1.4–1.8 s in some rounds, the game's own side done within 6 ms). That is
the null sink's way of working, not the program's; the listener keeps the sink
rendering every few milliseconds, so that the rows show what the program controls.
S3, S4 and S5 end when the buffer is handed over, not when it leaves the sink.
<!-- sound-server:end -->
EOF
)"
  if grep -q '<!-- sound-server:start -->' "$doc"; then
    BLOCK="$block" awk '/<!-- sound-server:start -->/ {print ENVIRON["BLOCK"]; skip=1; next}
      /<!-- sound-server:end -->/ {skip=0; next} !skip {print}' "$doc" >"$work/doc" && cat "$work/doc" >"$doc"
  else
    BLOCK="$block" awk '/^## Fixes, causes and open targets/ && !done {print ENVIRON["BLOCK"]; print ""; done=1} {print}' \
      "$doc" >"$work/doc" && cat "$work/doc" >"$doc"
  fi
  log "updated $doc"
fi
