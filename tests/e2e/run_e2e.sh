#!/usr/bin/env bash
# The real zorvanta binary in a real X session (Xvfb), driven by real input events
# (xdotool): START, let a question play, answer it with PC keys, stop with Esc, and
# read the summary box's caption from its window title. Sound goes to SDL's disk
# driver, and the captured stream must show the start chime and the notes (their
# timing is measured by bench_note_timing, on a quiet machine). The game's
# ZORVANTA_TRACE lines (sound <name>) tell when the question has played.
#   run_e2e.sh <zorvanta binary> <audio_activity binary>
set -euo pipefail
binary="$(realpath "$1")"
analyzer="$(realpath "$2")"
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
on_xvfb "$0" "$@"

pid=""
start_work pid
cd "$work"   # a folder without pictures: they must be found beside the program

ZORVANTA_TRACE=1 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" QT_QPA_PLATFORM=xcb \
  "$binary" >"$work/out.log" 2>"$work/err.log" &
pid=$!

wid="$(game_window "$pid")"
echo "window $wid"
xdotool windowfocus --sync "$wid" 2>/dev/null || true

# START sits at 7320,3735 twips (488,249 px), 1830x510 twips (122x34 px).
xdotool mousemove --window "$wid" 549 266 click 1
# The chime, the banner, then the question's five notes; the last one unlocks the keys.
wait_sounds 6 30
# Answer with PC keys (right or wrong, the game judges it), then STOP.
xdotool key --delay 150 q w e r t Escape

# One second after game over the summary box appears, titled with the mode and limit.
box="$(timeout 20 xdotool search --sync --onlyvisible --name '音メロディー' | head -n 1)" || fail "no summary box"
title="$(xdotool getwindowname "$box")"
echo "summary box: $title"
[ "$title" = "5音メロディー:30秒" ] || fail "unexpected summary caption: $title"
press_on "$box" Return
gone_within '音メロディー' 10 || fail "the summary box stayed open"
# Idle again: Esc quits the program with exit status 0.
press_on "$wid" Escape
status=0
wait_exit "$pid" 10 || status=$?
[ "$status" -eq 0 ] || fail "zorvanta exited with status $status"

[ -n "${E2E_KEEP_AUDIO:-}" ] && cp "$work/audio.raw" "$E2E_KEEP_AUDIO"
report="$("$analyzer" "$work/audio.raw" 2)"
echo "$report" | tail -n 1
onsets="$(echo "$report" | awk '/^onsets/ {print $2}')"
sounding="$(echo "$report" | awk '/^onsets/ {print $4}')"
# The chime and five question notes at least (the answer presses add more).
if [ "${onsets:-0}" -lt 6 ] || [ "${sounding:-0}" -lt 2500 ]; then
  fail "too little sound captured: $report"
fi
echo "e2e passed: $onsets onsets"
