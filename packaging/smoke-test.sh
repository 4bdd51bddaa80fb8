#!/usr/bin/env bash
# Starts an installed zorvanta the way a desktop launcher does: by its command name,
# from an empty folder (no pictures there), on a virtual X display. Passes when its
# window appears and Esc ends it with status 0. Given the sound analyzer the tests
# build (audio_activity), it also plays do#, +do and +do# with their PC keys (2, Z, S)
# and requires three onsets in the captured sound: proof that the installed samples,
# "+" and "#" in their names, are found through the link.
#   smoke-test.sh <command> [audio_activity]
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: $0 <command> [audio_activity]" >&2
  exit 2
fi
command_name=$1
analyzer=${2:-}
if [ -z "${ZV_SMOKE_ON_XVFB:-}" ]; then
  for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "smoke-test: '$tool' is not installed" >&2; exit 1; }
  done
  [ -z "$analyzer" ] || analyzer=$(realpath "$analyzer")
  exec xvfb-run -a -s "-screen 0 1024x768x24" env ZV_SMOKE_ON_XVFB=1 bash "$0" "$command_name" $analyzer
fi

work=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/empty"
cd "$work/empty"

resolved=$(command -v "$command_name") || { echo "smoke-test: '$command_name' is not on the PATH" >&2; exit 1; }
echo "smoke-test: starting $resolved from $PWD"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" QT_QPA_PLATFORM=xcb \
  "$command_name" >"$work/out.log" 2>&1 &
pid=$!

wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Zorvanta\?$' | head -n 1) || true
if [ -z "$wid" ]; then
  echo "smoke-test: the window did not appear within 20 s" >&2
  cat "$work/out.log" >&2
  exit 1
fi
echo "smoke-test: window $wid"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
sleep 0.3
if [ -n "$analyzer" ]; then
  for key in 2 z s; do
    xdotool key "$key"
    sleep 0.4
  done
fi
xdotool key Escape   # the idle window quits on Esc
status=0
timeout 10 tail --pid="$pid" -f /dev/null || status=$?
wait "$pid" || status=$?
pid=""
if [ "$status" -ne 0 ]; then
  echo "smoke-test: zorvanta did not end with status 0 (status $status)" >&2
  cat "$work/out.log" >&2
  exit 1
fi

if [ -n "$analyzer" ]; then
  report=$("$analyzer" "$work/audio.raw" 2)
  onsets=$(echo "$report" | awk '/^onsets/ {print $2}')
  echo "smoke-test: sound $(echo "$report" | grep '^onsets')"
  if [ "${onsets:-0}" -lt 3 ]; then
    echo "smoke-test: the three keys did not all sound: $report" >&2
    cat "$work/out.log" >&2
    exit 1
  fi
fi
echo "smoke-test: passed"
