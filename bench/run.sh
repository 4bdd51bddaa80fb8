#!/usr/bin/env bash
# Builds the benchmarks, runs them all on this machine, prints the table of results
# and writes docs/performance.md. Takes about seven minutes; keep the machine otherwise
# idle meanwhile (the load average before and after goes into the report).
#   bench/run.sh [--build-dir DIR] [--no-build] [--out FILE]
# Knobs (environment): BENCH_ROUNDS (3), BENCH_PRESSES (600 a round and program),
# BENCH_STARTUP_RUNS (15), BENCH_GAMES (3), BENCH_QUESTIONS (4), BENCH_DIFFICULTY (2: 8 notes),
# BENCH_WAIT_QUIET (0): wait up to that many seconds for the 1-minute load average to
# fall below 0.5 before starting; BENCH_COMPARE=LABEL:PATH also times another build of
# the game (PATH to its zorvanta) in the same interleaved start-up runs, for a
# before/after comparison under the same conditions.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-bench"
out="$root/docs/performance.md"
do_build=1
. "$root/bench/support/figures.sh"
. "$root/tests/e2e/common.sh"
invocation="$(command_line "bench/run.sh${*:+ $*}" BENCH_COMPARE BENCH_WAIT_QUIET BENCH_DIFFICULTY BENCH_QUESTIONS \
  BENCH_GAMES BENCH_STARTUP_RUNS BENCH_PRESSES BENCH_ROUNDS)"
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build="$(realpath -m "$2")"; shift 2 ;;
    --no-build) do_build=0; shift ;;
    --out) out="$(realpath -m "$2")"; shift 2 ;;
    *) echo "usage: $0 [--build-dir DIR] [--no-build] [--out FILE]" >&2; exit 2 ;;
  esac
done
rounds="${BENCH_ROUNDS:-3}"
presses="${BENCH_PRESSES:-600}"
startup_runs="${BENCH_STARTUP_RUNS:-15}"
games="${BENCH_GAMES:-3}"
questions="${BENCH_QUESTIONS:-4}"
difficulty="${BENCH_DIFFICULTY:-2}"

if [ "$do_build" = 1 ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVANTA_WERROR=ON \
        -DZORVANTA_BENCH=ON >/dev/null
  cmake --build "$build" --target zorvanta bench_probe bench_audio_floor bench_minimal_window \
        bench_audio_window bench_press_latency bench_note_timing bench_logic_throughput bench_startup_phases tst_stress
fi
bin="$build/bin"
for b in zorvanta bench_probe bench_audio_floor bench_minimal_window bench_audio_window \
         bench_press_latency bench_note_timing bench_logic_throughput bench_startup_phases tst_stress; do
  [ -x "$bin/$b" ] || { echo "missing $bin/$b: build first" >&2; exit 1; }
done

work="$(mktemp -d)"
jackd_pid=""
cleanup() {
  stop_private_jack
  rm -rf "$work"
}
trap cleanup EXIT
# Headless and reproducible: offscreen Qt, SDL's dummy audio driver (it paces like a
# device and discards the sound).
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy XDG_RUNTIME_DIR="$work/xdg"
mkdir -m 700 "$work/xdg"
cd "$bin"  # the programs find sound/ and the pictures beside them

quiet_wait="${BENCH_WAIT_QUIET:-0}"
while [ "$quiet_wait" -gt 0 ] && ! le "$(cut -d' ' -f1 /proc/loadavg)" 0.5; do
  sleep 10; quiet_wait=$((quiet_wait - 10))
done
if ! le "$(cut -d' ' -f1 /proc/loadavg)" 1; then
  log "warning: load average $(load): other work on this machine will show in the figures"
fi
load_before="$(load)"
started="$(date -u '+%Y-%m-%d %H:%M UTC')"

# 1. Press-to-sound latency, the game beside the bare SDL2 floor, alternating
#    which goes first in each round. The game's MIDI note-ons come through a private
#    JACK server (dummy driver, no real-time), stopped again after these rounds.
command -v jackd >/dev/null || { echo "jackd missing: run scripts/install-deps.sh" >&2; exit 1; }
export JACK_NO_START_SERVER=1 JACK_DEFAULT_SERVER="zorvanta-bench-$$"
jack_period=256
start_private_jack "$work/jackd.log" "$jack_period" || { cat "$work/jackd.log" >&2; exit 1; }
frames=""
for r in $(seq 1 "$rounds"); do
  log "latency round $r/$rounds"
  run_game() {
    ./bench_press_latency --presses "$presses" --seed "$r" \
      --out-mouse "$work/mouse.$r" --out-key "$work/key.$r" --out-midi "$work/midi.$r" >"$work/game.$r.log" \
      2>"$work/game.$r.err" || { cat "$work/game.$r.log" "$work/game.$r.err" >&2; return 1; }
  }
  run_floor() {
    ./bench_audio_floor --sounds sound --presses "$presses" --seed "$r" --frames "${frames:-256}" \
      --out "$work/floor.$r" >"$work/floor.$r.log" 2>&1 || { cat "$work/floor.$r.log" >&2; return 1; }
  }
  if [ $((r % 2)) = 1 ]; then run_game; run_floor; else run_floor; run_game; fi
  frames="$(result buffer_frames "$work/game.$r.log")"
  cat "$work/mouse.$r" "$work/key.$r" >"$work/both.$r"
  for k in floor both; do stats "$work/$k.$r" | awk '{print $3}' >>"$work/$k.medians"; done
  for k in floor both; do stats "$work/$k.$r" | awk '{print $4}' >>"$work/$k.p99s"; done
done
stop_private_jack
game_s="$(stats "$work"/both.*[0-9])"
midi_s="$(stats "$work"/midi.*)"
mouse_s="$(stats "$work"/mouse.*)"
key_s="$(stats "$work"/key.*)"
floor_s="$(stats "$work"/floor.*[0-9])"
game_med_noise="$(stats "$work/both.medians")"
floor_med_noise="$(stats "$work/floor.medians")"
game_p99_noise="$(stats "$work/both.p99s")"
floor_p99_noise="$(stats "$work/floor.p99s")"
lat_med_ratio="$(ratio "$(field "$game_s" 3)" "$(field "$floor_s" 3)")"
lat_p99_ratio="$(ratio "$(field "$game_s" 4)" "$(field "$floor_s" 4)")"
midi_over_key="$(awk -v a="$(field "$midi_s" 3)" -v b="$(field "$key_s" 3)" 'BEGIN { printf "%+.3f", a - b }')"

# 2. Note timing of real games (real Qt timers), and the CPU they cost.
log "note timing: $games games of $questions questions, each replayed"
./bench_note_timing --games "$games" --questions "$questions" --difficulty "$difficulty" --out-intervals "$work/intervals" \
  --out-first "$work/first" >"$work/timing.log" 2>/dev/null || { cat "$work/timing.log" >&2; exit 1; }
t() { result "$1" "$work/timing.log"; }
buffer_ms="$(t timing_buffer_ms)"

# 2c. The window's pace in a flood of 10,000 PC key presses at 1 kHz during a game
#     (the test tests/view/tst_stress, which checks everything else of it).
log "key flood"
ZORVANTA_RUNTIME_DIR="$bin" ./tst_stress >"$work/stress.log" 2>&1 || { cat "$work/stress.log" >&2; exit 1; }
stress_gap="$(sed -n 's/^stress:.*worst gap \([0-9]*\) ms.*/\1/p' "$work/stress.log")"

# 3. Start-up on a private Xvfb (what the X server shows: the window's first Expose,
#    and the first painted frame beside it), alternating the programs run by run.
log "start-up: $startup_runs runs of each program on Xvfb"
compare_label="${BENCH_COMPARE:-}"
compare_label="${compare_label%%:*}"
compare_path="${BENCH_COMPARE:-}"
compare_path="${compare_path#*:}"
programs=(game=./zorvanta minimal=./bench_minimal_window mixer=./bench_audio_window)
[ -z "${BENCH_COMPARE:-}" ] || programs=(other="$compare_path" "${programs[@]}")
on_x() { xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb "$@"; }
on_x "$root/bench/support/startup_rounds.sh" ./bench_probe "$startup_runs" "$work" "${programs[@]}"
# Where the game's start-up goes: main()'s steps, timed from the spawn.
on_x ./bench_probe --runs 5 --hold-ms 300 -- ./bench_startup_phases >"$work/phases.out"
phase_median() { awk -v n="$1" '$1 == "phase" && $2 == n {print $3}' "$work/phases.out" >"$work/phase.tmp"; field "$(stats "$work/phase.tmp")" 3; }
phases_line=""
for ph in main QApplication services-built window-built pictures-loaded shown first-paint-event devices-loaded sounds-decoded; do
  phases_line="$phases_line${phases_line:+ → }$ph $(phase_median "$ph")"
done
phases_paint="$(awk '$1 == "run" {print $4}' "$work/phases.out" >"$work/phase.tmp"; field "$(stats "$work/phase.tmp")" 3)"
libs_game="$(libs ./zorvanta)"; libs_dev="$(libs ./modules/zorvanta-devices.so)"; libs_min="$(libs ./bench_minimal_window)"; libs_mix="$(libs ./bench_audio_window)"
main_min="$(field "$(stats "$work/main.minimal")" 3)"
main_mix="$(field "$(stats "$work/main.mixer")" 3)"
start_game="$(stats "$work/expose.game")"
start_min="$(stats "$work/expose.minimal")"
start_mix="$(stats "$work/expose.mixer")"
paint_game="$(stats "$work/paint.game")"
paint_min="$(stats "$work/paint.minimal")"
start_ratio="$(ratio "$(field "$start_game" 3)" "$(field "$start_min" 3)")"
start_ratio_mix="$(ratio "$(field "$start_game" 3)" "$(field "$start_mix" 3)")"
paint_ratio="$(ratio "$(field "$paint_game" 3)" "$(field "$paint_min" 3)")"
unseen="$(cat "$work"/unseen.* 2>/dev/null | wc -l)"

# 4. Footprint (peak RSS one second after the first paint) and 5. idle CPU over 10 s.
log "footprint and idle cost (10 s stretches)"
for i in 1 2 3; do
  ./bench_probe --runs 1 --hold-ms 1000 -- ./zorvanta | awk '$1 == "run" {print $8}' >>"$work/rss.game"
  ./bench_probe --runs 1 --hold-ms 1000 -- ./bench_audio_window --sounds sound --frames "${frames:-256}" |
    awk '$1 == "run" {print $8}' >>"$work/rss.base"
done
for i in 1 2; do
  ./bench_probe --runs 1 --hold-ms 1000 --idle-s 10 -- ./zorvanta | awk '$1 == "run" {print $6}' >>"$work/idle.game"
  ./bench_probe --runs 1 --hold-ms 1000 --idle-s 10 -- ./bench_audio_window --sounds sound --frames "${frames:-256}" |
    awk '$1 == "run" {print $6}' >>"$work/idle.base"
  ./bench_probe --runs 1 --hold-ms 1000 --idle-s 10 -- ./bench_audio_window --sounds sound --frames "${frames:-256}" --pause |
    awk '$1 == "run" {print $6}' >>"$work/idle.paused"
done
rss_game="$(stats "$work/rss.game")"
rss_base="$(stats "$work/rss.base")"
rss_ratio="$(ratio "$(field "$rss_game" 3)" "$(field "$rss_base" 3)")"
idle_game="$(stats "$work/idle.game")"
idle_base="$(stats "$work/idle.base")"
idle_paused="$(stats "$work/idle.paused")"

# 6. Logic throughput of the headless core.
log "logic throughput"
./bench_logic_throughput >"$work/logic.log" 2>/dev/null
load_after="$(load)"

# The report.
cpu_model="$(lscpu | sed -n 's/^Model name: *//p' | head -n 1)"
mem="$(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)"
mk() { awk -v v="$1" 'BEGIN { printf "%.1f", v / 1024 }'; }
ms3() { printf '%s / %s / %s' "$(field "$1" 2)" "$(field "$1" 3)" "$(field "$1" 5)"; }
run_cpu10="$(t run_cpu10_ms)"
run_pct10="$(awk -v c="$run_cpu10" 'BEGIN { printf "%.2f", c / 100 }')"
first_banner_limit="$(awk -v b="$buffer_ms" 'BEGIN { printf "%.3f", 500 + b }')"
banner_ok="met"
le "$(t timing_banner_max)" "$first_banner_limit" && le 500 "$(t timing_banner_min)" || banner_ok="**missed**"

compare_row=""
if [ -n "${BENCH_COMPARE:-}" ]; then
  start_other="$(stats "$work/expose.other")"
  compare_row="| 3b | Spawn to first Expose of $compare_label ($compare_path), the same interleaved runs (min / median / max) | $(ms3 "$start_other") ms | | | ×$(ratio "$(field "$start_other" 3)" "$(field "$start_min" 3)") the minimal window |"
fi

table="$(cat <<EOF
| # | Measure | Result | Beside | Target | Verdict |
|---|---|---|---|---|---|
| 1 | Press-to-sound latency, game (mouse + PC key, $(field "$game_s" 1) presses): median / p99 / max | $(field "$game_s" 3) / $(field "$game_s" 4) / $(field "$game_s" 5) ms | bare SDL2 floor ($(field "$floor_s" 1) plays): $(field "$floor_s" 3) / $(field "$floor_s" 4) / $(field "$floor_s" 5) ms | median ≤ 1.1 × floor, p99 ≤ 1.5 × floor | median ×$lat_med_ratio $(verdict "$lat_med_ratio" 1.1), p99 ×$lat_p99_ratio $(verdict "$lat_p99_ratio" 1.5) |
| 1a | … mouse-downs only ($(field "$mouse_s" 1)): median / p99 / max | $(field "$mouse_s" 3) / $(field "$mouse_s" 4) / $(field "$mouse_s" 5) ms | | | |
| 1b | … PC keys only ($(field "$key_s" 1)): median / p99 / max | $(field "$key_s" 3) / $(field "$key_s" 4) / $(field "$key_s" 5) ms | | | |
| 1c | MIDI note-ons in the same runs ($(field "$midi_s" 1), private JACK server, dummy driver, $jack_period frames): median / p99 / max | $(field "$midi_s" 3) / $(field "$midi_s" 4) / $(field "$midi_s" 5) ms | PC keys (1b): median $(field "$key_s" 3) ms | median ≤ PC-key median + 1 ms | $midi_over_key ms $(verdict "$midi_over_key" 1) |
| 2 | Note intervals ($(t timing_intervals) in $(t timing_playbacks) questions and replays of $(t timing_notes) notes): \|interval − 500 ms\| median / p99 / max | $(t timing_dev_median) / $(t timing_dev_p99) / $(t timing_dev_max) ms (intervals $(t timing_interval_min)–$(t timing_interval_max) ms) | one buffer = $buffer_ms ms | p99 ≤ one buffer | $(verdict "$(t timing_dev_p99)" "$buffer_ms") |
| 2′ | … the ticks that played those notes (timer jitter alone): \|interval − 500 ms\| median / p99 / max | $(t timing_tick_dev_median) / $(t timing_tick_dev_p99) / $(t timing_tick_dev_max) ms | | | |
| 2″ | … from each of those ticks to its note's onset (the audio side): median / p99 / max | $(t timing_onset_median) / $(t timing_onset_p99) / $(t timing_onset_max) ms | | | |
| 2a | First note after the START! banner ($(t timing_banner_n) games): min / median / max | $(t timing_banner_min) / $(t timing_banner_median) / $(t timing_banner_max) ms | | 500 ms to 500 ms + one buffer | $banner_ok |
| 2b | First note after any start (banner, answer, REPLAY; $(t timing_first_n)): min / median / max | $(t timing_first_min) / $(t timing_first_median) / $(t timing_first_max) ms | | | |
| 2c | Key flood (10,000 PC key presses at 1 kHz during a game, tst_stress): the window's worst gap between two turns | $stress_gap ms | | < 100 ms | $(verdict "$stress_gap" 99) |
| 3 | Start-up on Xvfb, spawn to the window's first Expose, median of $(field "$start_game" 1) (min / median / max) | $(ms3 "$start_game") ms | minimal Qt window: $(ms3 "$start_min") ms; the same linked to SDL2: $(ms3 "$start_mix") ms | ≤ 1.5 × minimal window | ×$start_ratio $(verdict "$start_ratio" 1.5) (×$start_ratio_mix against the window linked to SDL2) |
| 3a | … spawn to the first painted frame, the same runs (min / median / max) | $(ms3 "$paint_game") ms | minimal Qt window: $(ms3 "$paint_min") ms | | ×$paint_ratio |
${compare_row}${compare_row:+
}| 3′ | Where the start-up goes: ms from the spawn to the end of each step of \`main()\` (median of 5 runs of \`bench_startup_phases\`, the same steps) | $phases_line; first paint $phases_paint | libraries loaded (\`main()\` entered): minimal window $main_min ms, linked to SDL2 $main_mix ms; shared libraries (ldd): game $libs_game (its devices module, loaded after the first frame: $libs_dev), minimal window $libs_min, linked to SDL2 $libs_mix | | |
| 4 | Peak resident memory, median of 3 | $(mk "$(field "$rss_game" 3)") MiB | minimal window + an SDL2 audio device and the 25 decoded sounds: $(mk "$(field "$rss_base" 3)") MiB | ≤ 1.3 × | ×$rss_ratio $(verdict "$rss_ratio" 1.3) |
| 5 | CPU time over 10 s of the idle window (2 runs: min / max) | $(field "$idle_game" 2) / $(field "$idle_game" 5) ms | minimal window + an open SDL2 audio device, idle: $(field "$idle_base" 2) / $(field "$idle_base" 5) ms | ≤ 20 ms | $(verdict "$(field "$idle_game" 5)" 20) |
| 5′ | … the same minimal window with its SDL2 audio device paused (2 runs: min / max) | $(field "$idle_paused" 2) / $(field "$idle_paused" 5) ms | | | |
| 5a | CPU over the first 10 s of a running game (START, banner, questions) | $run_cpu10 ms = $run_pct10 % of a core (whole run: $(t run_cpu_all_pct) % over $(t run_wall_s) s) | | ≤ 2 % | $(verdict "$run_pct10" 2) |
| 6 | Logic throughput, headless core | model driver: $(result logic_model_events_per_s "$work/logic.log") events/s; plain games: $(result logic_plain_events_per_s "$work/logic.log") events/s ($(result logic_plain_games_per_s "$work/logic.log") games/s) | | | |
EOF
)"

printf '\n%s\n\n' "$table"

# Blocks other commands write into the same file are kept as they are: the history,
# the real-sound-server figures (bench/sound_server.sh), the web edition's
# (bench/web/figures.mjs), the singing figures (bench/voice.sh), the two echo
# cancellers (bench/voice_cancellers.sh), singing in the page
# (bench/web/voice_corpus.mjs) and the history of games kept (bench_history).
kept_block() {
  local block=""
  [ ! -f "$out" ] || block="$(awk "/<!-- $1:start -->/ {on=1} on {print} /<!-- $1:end -->/ {on=0}" "$out")"
  [ -n "$block" ] || block="$(printf '<!-- %s:start -->\n%s<!-- %s:end -->' "$1" "${2:-}" "$1")"
  printf '%s' "$block"
}
history="$(kept_block history $'_No changes recorded yet._\n')"
sound_server="$(kept_block sound-server)"
web_figures="$(kept_block web)"
voice="$(kept_block voice)"
cancellers="$(kept_block cancellers)"
web_voice="$(kept_block web-voice)"
games_kept="$(kept_block games-kept)"

mkdir -p "$(dirname "$out")"
cat >"$out" <<EOF
# Performance

Written by \`bench/run.sh\` on $started: every figure in the tables below is from that
one run on the machine described here, started as

\`\`\`sh
$invocation
\`\`\`

Run it again to refresh them:

\`\`\`sh
bench/run.sh                              # builds build-bench/ (RelWithDebInfo, -Werror), runs everything
bench/run.sh --build-dir DIR --no-build   # or: cmake --build DIR --target bench
\`\`\`

## Machine

| | |
|---|---|
| CPU | $cpu_model, $(nproc) CPUs online |
| Memory | $mem |
| Kernel | $(uname -r) |
| Qt / SDL2 | $(ver libqt6core6) / $(ver libsdl2-2.0-0) |
| Load average (1/5/15 min) | before: $load_before; after: $load_after |
| Environment | QT_QPA_PLATFORM=offscreen (the start-up rows: a private Xvfb, QT_QPA_PLATFORM=xcb), SDL_AUDIODRIVER=dummy (paces like a device, discards the sound) |

## Results

$table

Noise, run to run (min / median / max over the $rounds latency rounds): game median
$(ms3 "$game_med_noise") ms, floor median $(ms3 "$floor_med_noise") ms; game p99
$(ms3 "$game_p99_noise") ms, floor p99 $(ms3 "$floor_p99_noise") ms. Sequencer steps
(one tick of the game's 30/500 ms timer, handler time): median $(t timing_step_median), p99
$(t timing_step_p99), max $(t timing_step_max) ms. Paint events in the first 10 s of play:
$(t run_paints10).

## How each figure is measured

1. **Press-to-sound latency** — \`bench_press_latency --presses $presses --seed R\` and
   \`bench_audio_floor --sounds sound --presses $presses --seed R --frames ${frames:-256}\`, $rounds rounds
   (R = 1..$rounds), alternating which runs first. The game program builds the game as
   \`main()\` does (real services, the game, sounds decoded, the real window shown) and hands
   each press to the window through Qt's delivery (\`QTest::mousePress\` on a key's button
   or \`QTest::keyPress\` to the focus widget: both go through \`QApplication::notify\`,
   the window's key preview filter and the game's handlers down to \`SdlSound::play\`).
   The clock starts just before delivery and stops in SdlSound's post-mix hook at the
   first mixed buffer that begins with the pressed key's own first samples (the single
   voice is copied into the stream unchanged, so that buffer is the onset; the sounds'
   prefixes are checked to be distinct and not silent). An untimed sound opens the
   audio device first (it stays open while sounds keep coming; the first sound after
   an idle spell is measured on the real sound server, below). The floor is a bare SDL2
   program (48 kHz, 16-bit stereo, the same buffer frames) whose audio callback copies
   one preloaded sound, swapped in on demand, and is timed the same way. Presses are 10–40 ms apart (random), on random keys. A third
   of the game's presses are MIDI note-ons (row 1c, not in row 1): \`bench_press_latency
   --out-midi\` opens a JACK client with a MIDI output on a private server (\`jackd -S -n NAME
   --no-realtime -d dummy -r 48000 -p $jack_period\`) before the game's MIDI input, which connects
   it at start, and writes each note-on inside a JACK process cycle. The clock starts at
   that write (where a hardware keyboard's note enters JACK's graph) and stops at the
   same post-mix buffer; the note crosses the game's input, its hand-over to the
   window's thread and the PC key's own handler in between.
2. **Note timing** — \`bench_note_timing --games $games --questions $questions --difficulty $difficulty\`:
   real games on real Qt timers with the time limit off; each question plays, then REPLAY plays it
   again, then it is answered right on the keys; Esc ends each game (message boxes
   answer themselves). Every mixed buffer that begins with a sound's first samples is
   an onset, stamped with the monotonic clock. Intervals are between consecutive notes
   of one playback; "first note" is from the tick that ended the banner (or from the
   step after a verdict, or the REPLAY click) to the first onset. An onset can only fall
   on a buffer boundary, so each onset carries up to one buffer period of quantisation;
   the times of the timer ticks that played the notes are given beside, to tell the
   timer's jitter from that quantisation.
3. **Start-up** — on a private Xvfb (\`xvfb-run\`, QT_QPA_PLATFORM=xcb, no window
   manager), \`bench/support/startup_rounds.sh\`: \`bench_probe --runs 1 --hold-ms 200 --
   PROGRAM\`, $startup_runs rounds of the programs in turn after one warm-up run each.
   Row 3 is from just before \`posix_spawn\` to the first Expose of the window: the
   probe listens on the root window for the map of a top-level window, and without a
   window manager the X server sends the window its first Expose while mapping it.
   Row 3a is to the \`first-paint\` line the program prints (with
   \`ZORVANTA_REPORT_FIRST_PAINT=1\`) in the event-loop turn after its window's first
   frame was painted and flushed. \`bench_minimal_window\` is a bare QWidget of the
   game window's size (Qt Widgets only); \`bench_audio_window\` is the same source
   linked to SDL2 (run here without \`--sounds\`: it opens nothing). Both print when
   \`main()\` is entered, which splits off the loading of the shared libraries.
   \`bench_probe --runs 5 --hold-ms 300 -- ./bench_startup_phases\` times the steps of
   \`main()\` the same way (the same calls in the same order, each followed by a
   mark). ${unseen} run(s) in which the probe saw no map are left out of row 3.
4. **Footprint** — \`bench_probe --runs 1 --hold-ms 1000 -- PROGRAM\`: \`ru_maxrss\` of
   the ended process, one second after its first paint; the yardstick is
   \`bench_audio_window --sounds sound\` (the minimal window plus an SDL2 audio device
   opened with the game's settings and the same 25 sounds decoded).
5. **Idle cost** — \`bench_probe --runs 1 --hold-ms 1000 --idle-s 10 -- PROGRAM\`: CPU
   time of all the process's threads (\`clock_getcpuclockid\`) over 10 s, starting one
   second after the first paint; the paused variant is \`bench_audio_window --sounds
   sound --pause\`, which pauses its audio device after decoding. The running-game figure is the process's own CPU
   time over the first 10 s after START in \`bench_note_timing\` (so it includes the
   benchmark's post-mix hook, a few prefix compares per buffer).
6. **Logic throughput** — \`bench_logic_throughput\`: the model test's randomized driver
   (10,000,000 events, every invariant checked after each) and a plain loop of 200,000
   whole games on the game core with virtual timers (timer ticks and key presses as events).

$sound_server

$web_figures

$voice

$cancellers

$web_voice

$games_kept

## Fixes, causes and open targets

$history
EOF
log "wrote $out"
