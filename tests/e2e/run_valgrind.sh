#!/usr/bin/env bash
# One run of the real binary under valgrind's memcheck in a real X session: start,
# a game with a question and an answer, STOP by Esc, the summary, and quit. Any
# memcheck error (invalid read or write, use of uninitialised memory, bad free,
# definite leak) fails the run. The game's ZORVANTA_TRACE lines (sound <name>) tell
# when the question has played.
#   run_valgrind.sh <zorvanta binary>
set -euo pipefail
binary="$(realpath "$1")"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/common.sh"
on_xvfb "$0" "$@"
pid=""
start_work pid

(cd "$work" && ZORVANTA_TRACE=1 SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb exec valgrind --tool=memcheck --error-exitcode=42 --child-silent-after-fork=yes \
   --leak-check=full --errors-for-leak-kinds=definite --show-leak-kinds=definite \
   --suppressions="$here/valgrind.supp" --log-file="$work/valgrind.log" "$binary" >"$work/out.log" 2>&1) &
pid=$!
wid="$(game_window "$pid" 120)"
xdotool mousemove --window "$wid" 549 266 click 1
wait_sounds 6 180   # the chime, the banner and the five notes, at valgrind's pace
xdotool key --delay 400 q w e r t Escape
box="$(timeout 120 xdotool search --sync --onlyvisible --name '音メロディー' | head -n 1)" || fail "no summary box"
press_on "$box" Return
gone_within '音メロディー' 60 || fail "the summary box stayed open"
press_on "$wid" Escape
status=0
wait_exit "$pid" 120 || status=$?
grep -E "ERROR SUMMARY|definitely lost" "$work/valgrind.log" || true
if [ "$status" -ne 0 ]; then
  echo "valgrind run failed with status $status"
  sed -n '/^==[0-9]*== [A-Z]/,$p' "$work/valgrind.log" | head -n 200
  exit 1
fi
echo "valgrind: no errors"
