#!/usr/bin/env bash
# Starts the real binary with each picture missing or broken in every way we know:
# it must end before its window shows, with a message box naming the file, one
# stderr line naming it and exit status 1, and never crash or hang. A broken picture
# in the current folder with a good one beside the program must still start.
#   run_hostile_pictures.sh <zorvanta binary> <make_huge_jpeg binary>
set -euo pipefail
binary="$(realpath "$1")"
make_huge="$(realpath "$2")"
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
on_xvfb "$0" "$@"
bindir="$(dirname "$binary")"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
failures=0

# A private copy of the program (the application's folder is where the real
# executable lies, so a link to it would not do) with links to its devices module and
# sounds, and good pictures.
fresh_app() {
  local app="$root/app"
  rm -rf "$app" "$root/cwd"
  mkdir -p "$app" "$root/cwd"
  cp "$binary" "$app/zorvanta"
  ln -s "$bindir/modules" "$app/modules"
  ln -s "$bindir/sound" "$app/sound"
  cp "$bindir"/maru.jpg "$bindir"/batu.jpg "$bindir"/gameover.jpg "$app/"
}

# expect_refusal <case> <file>: the program must refuse to start, naming <file>.
expect_refusal() {
  local name="$1" file="$2" status=0
  (cd "$root/cwd" && SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb exec "$root/app/zorvanta" >"$root/out" 2>"$root/err") &
  local pid=$!
  local box
  box="$(timeout 15 xdotool search --sync --onlyvisible --name '^Zorvanta$' 2>/dev/null | head -n 1 || true)"
  if xdotool search --all --onlyvisible --pid "$pid" --name '^Zorvanta\?$' >/dev/null 2>&1; then
    echo "FAIL $name: the main window opened"; failures=$((failures + 1))
  fi
  if [ -n "$box" ]; then
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key --window "$box" Return 2>/dev/null || true
    xdotool key Return 2>/dev/null || true
  fi
  wait_exit "$pid" 10 || status=$?
  if [ -z "$box" ]; then
    echo "FAIL $name: no message box"; failures=$((failures + 1))
  elif [ "$status" -ne 1 ]; then
    echo "FAIL $name: exit status $status"; failures=$((failures + 1))
  elif ! grep -q "$file" "$root/err"; then
    echo "FAIL $name: stderr does not name $file: $(cat "$root/err")"; failures=$((failures + 1))
  else
    echo "ok   $name: $(grep "$file" "$root/err" | head -n 1)"
  fi
}

for f in maru.jpg batu.jpg gameover.jpg; do
  fresh_app; rm "$root/app/$f"; expect_refusal "missing $f" "$f"
done
fresh_app; : >"$root/app/batu.jpg"; expect_refusal "empty" batu.jpg
fresh_app; echo "this is not a picture" >"$root/app/gameover.jpg"; expect_refusal "not a JPEG" gameover.jpg
fresh_app; head -c 600 "$bindir/maru.jpg" >"$root/app/maru.jpg"; expect_refusal "truncated" maru.jpg
fresh_app; rm "$root/app/maru.jpg"; mkdir "$root/app/maru.jpg"; expect_refusal "a folder" maru.jpg
fresh_app; rm "$root/app/batu.jpg"; mkfifo "$root/app/batu.jpg"; expect_refusal "a FIFO" batu.jpg
fresh_app; "$make_huge" "$bindir/gameover.jpg" "$root/app/gameover.jpg"; expect_refusal "20000 x 20000" gameover.jpg
if [ "$(id -u)" -ne 0 ]; then
  fresh_app; chmod 000 "$root/app/maru.jpg"; expect_refusal "unreadable" maru.jpg
else
  echo "skip unreadable: running as root, permission bits do not stop reads"
fi

# A broken picture in the current folder, a good one beside the program: it starts.
fresh_app; echo "garbage" >"$root/cwd/maru.jpg"
(cd "$root/cwd" && SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb "$root/app/zorvanta" >/dev/null 2>&1) &
pid=$!
if timeout 15 xdotool search --sync --onlyvisible --name '^Zorvanta\?$' >/dev/null 2>&1; then
  echo "ok   broken picture in the current folder: started with the one beside the program"
else
  echo "FAIL broken picture in the current folder: no window"; failures=$((failures + 1))
fi
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

if [ "$failures" -ne 0 ]; then
  echo "$failures hostile-picture case(s) failed"
  exit 1
fi
echo "all hostile-picture cases passed"
