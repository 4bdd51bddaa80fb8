#!/usr/bin/env bash
# Takes a screenshot of the game's window on a virtual X display.
#
#   tools/screenshot.sh <path to the built zorvanta> [output.png]
#
# Builds nothing. Runs the program under xvfb-run with SDL's dummy audio driver,
# waits for its window, captures it with ImageMagick's import (default output:
# docs/screenshot.png in the repository) and ends the program.
set -euo pipefail

if [[ $# -lt 1 ]]; then
  echo "usage: $0 <path to zorvanta> [output.png]" >&2
  exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
binary=$(realpath "$1")
out=$(realpath -m "${2:-$here/../docs/screenshot.png}")
[[ -x $binary ]] || { echo "screenshot: not an executable: $binary" >&2; exit 1; }
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot: '$tool' is not installed" >&2; exit 1; }
done
mkdir -p "$(dirname "$out")"

# The inner script runs on the virtual display. The program reads its pictures
# from the current folder, so it starts in its own folder.
export ZV_BINARY=$binary ZV_OUT=$out
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  cd "$(dirname "$ZV_BINARY")"
  SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb "$ZV_BINARY" &
  pid=$!
  trap "kill $pid 2>/dev/null || true; wait $pid 2>/dev/null || true" EXIT
  id=$(timeout 20 xdotool search --sync --onlyvisible --name "^Zorvanta\?$" | head -n 1)
  [[ -n $id ]] || { echo "screenshot: the window did not appear" >&2; exit 1; }
  sleep 1   # let the first paint finish
  import -window "$id" "$ZV_OUT"
'
echo "screenshot: wrote $out"
