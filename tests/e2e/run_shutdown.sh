#!/usr/bin/env bash
# Closes the real window, as a window manager's close button does, in every state of
# a game: the banner, a question playing, waiting for the answer, the pause after a
# judgment, a replay, the demonstration question open, a demonstration playing, the
# pause after game over and the summary open. Each time the program must end by
# itself, promptly, with exit status 0.
#   run_shutdown.sh <zorvanta binary> <send_wm_delete binary>
set -euo pipefail
binary="$(realpath "$1")"
closer="$(realpath "$2")"
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
on_xvfb "$0" "$@"
start_work
failures=0

# Window coordinates (pixels) of the controls used.
start() { xdotool mousemove --window "$wid" 549 266 click 1; }
replay() { xdotool mousemove --window "$wid" 549 220 click 1; }
ask_box() { xdotool mousemove --window "$wid" 130 276 click 1; }   # 正解確認

# run_case <name> <steps...>: starts the program, runs the steps, closes the window.
run_case() {
  local name="$1"
  shift
  (cd "$work" && ZORVANTA_TRACE=1 SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb exec "$binary" >"$work/out.log" 2>&1) &
  local pid=$! status=0
  wid="$(game_window "$pid" || true)"
  if [ -z "$wid" ]; then
    echo "FAIL $name: the window did not appear"; cat "$work/out.log"
    kill -9 "$pid" 2>/dev/null || true
    failures=$((failures + 1))
    return
  fi
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  if ! "$@"; then
    echo "FAIL $name: the state was not reached"
    failures=$((failures + 1))
  fi
  "$closer" "$wid"
  wait_exit "$pid" 10 || status=$?
  if [ "$status" -eq 124 ]; then
    echo "FAIL $name: still running 10 s after the close"
    failures=$((failures + 1))
  elif [ "$status" -ne 0 ]; then
    echo "FAIL $name: exit status $status"; cat "$work/out.log"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

# Each state is told by the sounds played so far (the chime, then the question's five
# notes); the close comes after the steps' own key presses and clicks, in their order.
idle() { :; }
banner() { start; sounds_within 1 15; }
question() { start; sounds_within 3 15; }
waiting() { start; sounds_within 6 20; }
judged() { waiting && xdotool key 1 q; }
replaying() { waiting && replay && sounds_within 7 10; }
# expect_box <title pattern>: the state really has its message box open.
expect_box() {
  timeout 5 xdotool search --sync --onlyvisible --name "$1" >/dev/null 2>&1 || {
    echo "no box matching $1 appeared"; return 1; }
}
# The question box opens after any verdict. One key could be the question's first
# note and leave the answer open, and on a slow machine the keys may still be locked
# while the question plays: the five keys of a whole answer are typed (a wrong note
# or the whole melody brings a verdict) until the box is there.
question_box() {
  ask_box; waiting || return 1
  for _ in 1 2 3 4 5 6; do
    xdotool key q w e r t
    timeout 1 xdotool search --sync --onlyvisible --name '^Zorvanta$' >/dev/null 2>&1 && return 0
  done
  expect_box '^Zorvanta$'
}
demonstrating() {
  question_box || return 1
  local before
  before="$(sounds | wc -l)"
  xdotool key Return
  sounds_within $((before + 1)) 10
}
game_over() { start; sounds_within 2 15 && xdotool key Escape; }
summary_box() { waiting && xdotool key Escape && expect_box '音メロディー'; }

for state in idle banner question waiting judged replaying question_box demonstrating game_over summary_box; do
  run_case "$state" "$state"
done
if [ "$failures" -ne 0 ]; then
  echo "$failures shutdown case(s) failed"
  exit 1
fi
echo "all shutdown cases passed"
