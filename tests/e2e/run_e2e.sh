#!/usr/bin/env bash
# The real zorvanta binary in a real X session (Xvfb), driven by real input events
# (xdotool): START, let a question play, answer it with PC keys, stop with Esc, and
# read the summary box's caption from its window title. Sound goes to SDL's disk
# driver, and the captured stream must show the start chime and the notes.
#   run_e2e.sh <zorvanta binary> <audio_activity binary>
set -euo pipefail
binary="$(realpath "$1")"
analyzer="$(realpath "$2")"
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
on_xvfb "$0" "$@"

pid=""
start_work pid
cd "$work"   # a folder without pictures: they must be found beside the program

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" QT_QPA_PLATFORM=xcb \
  "$binary" >"$work/out.log" 2>&1 &
pid=$!

wid="$(game_window "$pid")"
echo "window $wid"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
sleep 0.5

# START sits at 7320,3735 twips (488,249 px), 1830x510 twips (122x34 px).
xdotool mousemove --window "$wid" 549 266 click 1
# The banner passes in about 1.5 s, then five notes at 0.5 s steps.
sleep 4.6
# Answer with PC keys; right or wrong, the game judges it.
for k in q w e r t; do
  xdotool key "$k"
  sleep 0.15
done
sleep 0.5
xdotool key Escape

# One second after game over the summary box appears, titled with the mode and limit.
box="$(timeout 10 xdotool search --sync --onlyvisible --name '音メロディー' | head -n 1)"
title="$(xdotool getwindowname "$box")"
echo "summary box: $title"
if [ "$title" != "5音メロディー:30秒" ]; then
  echo "unexpected summary caption: $title" >&2
  exit 1
fi
press_on "$box" Return
sleep 0.5
# Idle again: Esc quits the program with exit status 0.
press_on "$wid" Escape
status=0
wait_exit "$pid" 10 || status=$?
if [ "$status" -ne 0 ]; then
  echo "zorvanta exited with status $status" >&2
  cat "$work/out.log" >&2
  exit 1
fi

[ -n "${E2E_KEEP_AUDIO:-}" ] && cp "$work/audio.raw" "$E2E_KEEP_AUDIO"
report="$("$analyzer" "$work/audio.raw" 2)"
echo "$report" | tail -n 1
onsets="$(echo "$report" | awk '/^onsets/ {print $2}')"
sounding="$(echo "$report" | awk '/^onsets/ {print $4}')"
# The chime and five question notes at least (the answer presses add more).
if [ "${onsets:-0}" -lt 6 ] || [ "${sounding:-0}" -lt 2500 ]; then
  echo "too little sound captured: $report" >&2
  exit 1
fi
# The question's five notes: five onsets in a row 500 ms apart (within 40 ms).
run="$(echo "$report" | awk '/^onset / {t=$2; if (n>0 && t-p>=460 && t-p<=540) {c++} else {c=1}; if (c>best) best=c; p=t; n++} END {print best+0}')"
if [ "$run" -lt 5 ]; then
  echo "no five notes at 500 ms steps in the captured sound: $report" >&2
  exit 1
fi
echo "e2e passed: $onsets onsets, the question's notes 500 ms apart"
