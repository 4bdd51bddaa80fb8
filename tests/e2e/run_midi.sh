#!/usr/bin/env bash
# A MIDI keyboard played into the real zorvanta binary (Xvfb, SDL's disk driver)
# through a private JACK server with the dummy driver. A source present at start and
# one plugged in later are both connected, and one unplugged and plugged in again is
# connected again; non-note messages press nothing; a
# question is answered right with notes in any octave and judged right, a wrong note
# is judged wrong, and a modal box takes the notes like it takes PC keys. With every
# source unplugged, the program's port goes (it leaves the server's cycle). The
# server stopped under the running program and started again: without a source the
# program has no port there; a source of the new server is connected, its
# note is played, and it stays connected while a second one is connected. Started without a server, the program starts
# none and prints nothing.
# The game's ZORVANTA_TRACE lines (sound <name>, box <caption>: <text>) tell what it
# played and judged.
#   run_midi.sh <zorvanta binary> <midi_send binary>
set -euo pipefail
binary="$(realpath "$1")"
sender="$(realpath "$2")"
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
on_xvfb "$0" "$@"
for tool in jackd jack_lsp; do
  command -v "$tool" >/dev/null || { echo "$tool missing: run scripts/install-deps.sh" >&2; exit 1; }
done

work="$(mktemp -d)"
pids=()
# The senders end at the end of their input and the program by itself, each closing
# its JACK client; the server goes last, so it frees its shared memory. Anything still
# running after 3 s is killed.
cleanup() {
  exec 7>&- 8>&- 2>/dev/null || true
  for p in "${pids[@]}"; do
    timeout 3 tail --pid="$p" -f /dev/null 2>/dev/null || kill "$p" 2>/dev/null || true
    wait "$p" 2>/dev/null || true
  done
  stop_private_jack
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
# The tools of this test never start a JACK server by themselves; a server of the
# machine's is never used.
export JACK_NO_START_SERVER=1
export JACK_DEFAULT_SERVER="zorvanta-e2e-$$-$RANDOM"
export XDG_RUNTIME_DIR="$work/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# Once the sender NAME has said ready in its log, the game must report it connected;
# sets $took to the milliseconds it took. WHAT names the source in failures. How soon
# (within 2 s) is a figure of bench/sound_server.sh: a loaded machine stretches it.
connected() {
  local name=$1 what=$2 plugged
  wait_for "$work/$name.log" '^ready' 10 || fail "sender of $what did not start"
  plugged=$(date +%s%N)
  wait_for "$work/out.log" "^MIDI: connected $name:out\$" 10 || fail "$what was not connected"
  took=$((($(date +%s%N) - plugged) / 1000000))
}
# start_program [env arguments]
start_program() {
  env "$@" ZORVANTA_TRACE=1 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" QT_QPA_PLATFORM=xcb \
    "$binary" >"$work/out.log" 2>"$work/err.log" 7>&- 8>&- &
  pid=$!
  pids+=("$pid")
}
quit_program() {
  press_on "$wid" Escape
  local status=0
  wait_exit "$pid" 10 || status=$?
  [ "$status" -eq 0 ] || fail "zorvanta exited with status $status"
}

# 1. No server: nothing started, nothing printed. The program runs without
#    JACK_NO_START_SERVER and with a ~/.jackdrc that libjack would use to start one
#    (whose messages would reach the program's output) if a client asked it to.
mkdir "$work/home"
echo "$(command -v jackd) -T --no-realtime -d dummy -r 48000 -p 256" >"$work/home/.jackdrc"
jackd_before="$(pgrep -c -x jackd || true)"
start_program -u JACK_NO_START_SERVER HOME="$work/home"
wid="$(game_window "$pid")"
sleep 1.5   # the input has looked for MIDI by now
jackd_during="$(pgrep -c -x jackd || true)"
quit_program
[ ! -s "$work/out.log" ] || fail "printed without MIDI: $(cat "$work/out.log")"
if grep -Eiv '^QStandardPaths' "$work/err.log" | grep -Eiq 'jack|midi|alsa'; then fail "MIDI noise on stderr"; fi
[ "$jackd_during" = "$jackd_before" ] || fail "a JACK server was started"
echo "no server: nothing started, nothing printed"

# 2. A private server, one source present at start.
start_private_jack "$work/jackd.log" 256 || { cat "$work/jackd.log" >&2; fail "private JACK server did not start"; }
mkfifo "$work/early.in" "$work/late.in"
"$sender" zv-early <"$work/early.in" >"$work/early.log" 2>&1 &
pids+=($!)
exec 7>"$work/early.in"
wait_for "$work/early.log" '^ready' 10 || fail "sender did not start: $(cat "$work/early.log")"

start_program
wid="$(game_window "$pid")"
wait_for "$work/out.log" '^MIDI: connected zv-early:out$' 5 || fail "the source present at start was not connected"

# 3. A source plugged in while it runs is connected.
"$sender" zv-late <"$work/late.in" >"$work/zv-late.log" 2>&1 7>&- &
pids+=($!)
exec 8>"$work/late.in"
connected zv-late "the source plugged in later"
echo "connected: the source present at start, and the later one after $took ms"

# 3b. The later source unplugged and plugged in again under the same name.
exec 8>&-
wait_for "$work/out.log" '^MIDI: disconnected zv-late:out$' 5 || fail "the unplugged source was not noticed"
"$sender" zv-late <"$work/late.in" >"$work/zv-late.log" 2>&1 7>&- &
pids+=($!)
exec 8>"$work/late.in"
wait_for "$work/zv-late.log" '^ready' 10 || fail "second sender did not start again"
deadline=$((SECONDS + 5))
until [ "$(grep -c '^MIDI: connected zv-late:out$' "$work/out.log")" = 2 ]; do
  [ "$SECONDS" -lt "$deadline" ] || fail "the source plugged in again was not connected"
  sleep 0.05
done
echo "unplugged and plugged in again: connected again"

# 4. Idle: only the note-on among other messages presses a key (84 plays the upper C).
printf '%s\n' "80 3c 40" "90 3c 00" "b0 07 64" "e0 00 40" "f8" "fe" "f0 7e 7f 06 01 f7" "c0 05" "a0 3c 20" \
  "94 54 50" >&7
wait_sounds 1 3
sleep 0.3
[ "$(sounds | tr '\n' ' ')" = "+do " ] || fail "idle press: expected only +do, got: $(sounds | tr '\n' ' ')"

# 5. START; the chime and the five notes of the question.
xdotool mousemove --window "$wid" 549 266 click 1
wait_for "$work/out.log" '^sound \+\+\+do$' 5 || fail "no start chime"
wait_sounds 7 10
mapfile -t question < <(sounds | sed -n '3,7p')
echo "question: ${question[*]}"
# Answer right, every other note two octaves outside the piano, on changing channels.
i=0
for name in "${question[@]}"; do
  s="$(semitone "$name")"
  note=$((60 + s))
  [ $((i % 2)) = 1 ] && note=$((s < 12 ? 36 + s : 84 + s))
  printf '9%x %x 64\n' "$i" "$note" >&7
  i=$((i + 1))
  sleep 0.12
done
wait_sounds 12 5
mapfile -t answer < <(sounds | sed -n '8,12p')
[ "${answer[*]}" = "${question[*]}" ] || fail "the answer sounded ${answer[*]}, not ${question[*]}"

# 6. The next question plays; a wrong first note from the other source ends it.
wait_sounds 17 10
mapfile -t question2 < <(sounds | sed -n '13,17p')
echo "next question: ${question2[*]}"
s="$(semitone "${question2[0]}")"
wrong=$(((s + 1) % 24))
printf '90 %x 50\n' $((60 + wrong)) >&8
wait_sounds 18 5
sleep 0.3
xdotool key Escape

# 7. The summary: two questions, one right. While it is open, notes press nothing.
wait_for "$work/out.log" '^box ' 10 || fail "no summary box"
summary="$(grep '^box ' "$work/out.log" | tail -n 1)"
echo "summary: $summary"
case "$summary" in
  *"正解数:1 "*) ;;
  *) fail "expected one right answer: $summary" ;;
esac
box="$(timeout 10 xdotool search --sync --onlyvisible --name '音メロディー' | head -n 1)"
before="$(sounds | wc -l)"
echo "90 3c 64" >&7
sleep 0.5
[ "$(sounds | wc -l)" = "$before" ] || fail "a note sounded while the box was open"
press_on "$box" Return
sleep 0.5

# 8. Every source unplugged: the program leaves the server's cycle (its port goes).
exec 7>&- 8>&-
wait_for "$work/out.log" '^MIDI: disconnected zv-early:out$' 5 || fail "the unplugged sources were not noticed"
deadline=$((SECONDS + 5))
while jack_lsp | grep -q '^Zorvanta'; do
  [ "$SECONDS" -lt "$deadline" ] || fail "the program holds a port with no source left: $(jack_lsp)"
  sleep 0.05
done
# 9. The server stops and starts again under the running program.
stop_private_jack
start_private_jack "$work/jackd2.log" 256 restart || { cat "$work/jackd2.log" >&2; fail "private JACK server did not start again"; }
sleep 1.5
if jack_lsp | grep -q "^Zorvanta"; then fail "the program holds a port without a source: $(jack_lsp)"; fi
mkfifo "$work/back.in"
"$sender" zv-back <"$work/back.in" >"$work/zv-back.log" 2>&1 &
pids+=($!)
exec 7>"$work/back.in"
connected zv-back "the source on the new server"
before="$(sounds | wc -l)"
echo "90 3e 64" >&7
wait_sounds $((before + 1)) 3
[ "$(sounds | tail -n 1)" = re ] || fail "after the server's return, expected re, got: $(sounds | tail -n 1)"
# A second source, connected at a later look, while the first stays connected.
mkfifo "$work/two.in"
"$sender" zv-two <"$work/two.in" >"$work/zv-two.log" 2>&1 7>&- &
pids+=($!)
exec 8>"$work/two.in"
connected zv-two "a second source on the new server"
if grep -q '^MIDI: disconnected zv-back:out$' "$work/out.log"; then fail "the new server's source was dropped"; fi
echo "server stopped and started again: connected after $took ms, its note played, and it stays"
quit_program
if grep -Eiv '^QStandardPaths' "$work/err.log" | grep -Eiq 'jack|midi'; then fail "MIDI noise on stderr"; fi
echo "e2e midi passed"
