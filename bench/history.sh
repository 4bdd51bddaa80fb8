#!/usr/bin/env bash
# What keeping the games costs, measured from one build: press-to-sound latency with
# the history off and on (bench_press_latency without and with --history, the order
# alternating round by round), start-up with and without --no-history (interleaved
# runs on Xvfb, bench/support/startup_rounds.sh), and bench_history run several times
# (one game written on the history's thread; the progress view from 10,000 games).
# Prints every round's figures and the medians; docs/performance.md quotes them.
#   bench/history.sh [--build-dir DIR]
# Knobs (environment): HISTORY_ROUNDS (5), HISTORY_PRESSES (300 a round and program),
# HISTORY_STARTUP_RUNS (21), HISTORY_VIEW_RUNS (3).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-test"
[ "${1:-}" = --build-dir ] && build="$(realpath -m "$2")"
. "$root/bench/support/figures.sh"
rounds="${HISTORY_ROUNDS:-5}" presses="${HISTORY_PRESSES:-300}"
startup_runs="${HISTORY_STARTUP_RUNS:-21}" view_runs="${HISTORY_VIEW_RUNS:-3}"
bin="$build/bin"
for b in zorvanta bench_probe bench_press_latency bench_history; do
  [ -x "$bin/$b" ] || { echo "missing $bin/$b: build it first" >&2; exit 1; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy XDG_RUNTIME_DIR="$work/xdg" XDG_DATA_HOME="$work/data"
mkdir -m 700 "$work/xdg"
cd "$bin"  # the programs find sound/ and the pictures beside them
echo "load average before: $(load)"

# 1. Press-to-sound: mouse-downs and PC keys on the real window, each press also an
#    answer written on the history's thread when it is on.
for r in $(seq 1 "$rounds"); do
  off() { ./bench_press_latency --presses "$presses" --seed "$r" --out-mouse "$work/off.m.$r" --out-key "$work/off.k.$r" >/dev/null; }
  on() {
    ./bench_press_latency --presses "$presses" --seed "$r" --out-mouse "$work/on.m.$r" --out-key "$work/on.k.$r" \
      --history "$work/press-$r.sqlite" >/dev/null
  }
  if [ $((r % 2)) = 1 ]; then off; on; else on; off; fi
  for k in off on; do
    cat "$work/$k.m.$r" "$work/$k.k.$r" >"$work/$k.$r"
    stats "$work/$k.$r" | awk '{print $3}' >>"$work/$k.medians"
  done
  echo "press-to-sound round $r: history off $(tail -1 "$work/off.medians") ms, on $(tail -1 "$work/on.medians") ms (medians of $presses presses; load $(load))"
done
for k in off on; do
  echo "press-to-sound, history $k: n min median p99 max of all presses: $(stats "$work"/$k.[0-9]*) ms;" \
       "median of the round medians: $(stats "$work/$k.medians" | awk '{print $3}') ms"
done

# 2. Start-up: the same program with its history on and with --no-history, through
#    wrappers of the same cost, the history file made by an earlier run.
printf '#!/bin/sh\nexec %q "$@"\n' "$bin/zorvanta" >"$work/on.sh"
printf '#!/bin/sh\nexec %q --no-history "$@"\n' "$bin/zorvanta" >"$work/off.sh"
chmod +x "$work/on.sh" "$work/off.sh"
mkdir -p "$work/startup"
xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb \
  "$root/bench/support/startup_rounds.sh" ./bench_probe "$startup_runs" "$work/startup" on="$work/on.sh" off="$work/off.sh"
for k in on off; do
  echo "start-up, history $k: n min median p99 max: spawn to first Expose $(stats "$work/startup/expose.$k") ms;" \
       "to first paint $(stats "$work/startup/paint.$k") ms"
done

# 3. The history's own costs, run after run.
for i in $(seq 1 "$view_runs"); do
  echo "bench_history run $i (load $(load)):"
  ./bench_history 2>/dev/null | sed 's/^/  /'
done
echo "load average after: $(load)"
