# Shared steps of the scripts that drive the real binary on a virtual X display.
# Source it: . "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# on_xvfb <script> <args...>: runs the calling script again on a fresh Xvfb display,
# unless it already runs on one.
on_xvfb() {
  if [ -z "${ZORVANTA_ON_XVFB:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" env ZORVANTA_ON_XVFB=1 bash "$@"
  fi
}

# game_window <pid> [seconds]: the id of that process's main window, once it shows.
# By process id: a window of an earlier run may not be gone from the server yet.
game_window() {
  timeout "${2:-20}" xdotool search --all --sync --onlyvisible --pid "$1" --name '^Zorvanta\?$' | head -n 1
}

# wait_exit <pid> <seconds>: waits for the program to end by itself; the exit status
# is the program's, or 124 when it was still running and had to be killed.
wait_exit() {
  local status=0
  if ! timeout "$2" tail --pid="$1" -f /dev/null; then
    kill -9 "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
    return 124
  fi
  wait "$1" || status=$?
  return "$status"
}

# press_on <window> <keys...>: focuses the window and types the keys.
press_on() {
  local window="$1"
  shift
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key "$@"
}

# start_work [pid variables...]: a fresh temporary folder in $work; on exit the
# processes whose ids those variables then hold are stopped, and the folder removed.
start_work() {
  work="$(mktemp -d)"
  _work_pid_vars=("$@")
  trap _end_work EXIT
}
_end_work() {
  local v
  for v in "${_work_pid_vars[@]}"; do
    if [ -n "${!v:-}" ]; then
      kill ${!v} 2>/dev/null || true
      wait ${!v} 2>/dev/null || true
    fi
  done
  rm -rf "$work"
}

# The traced program's steps: it writes its ZORVANTA_TRACE lines to $work/out.log and
# its errors to $work/err.log.
fail() { echo "FAIL: $*" >&2; echo "--- program output" >&2; cat "$work/out.log" >&2 2>/dev/null || true
         echo "--- program stderr" >&2; cat "$work/err.log" >&2 2>/dev/null || true; exit 1; }
sounds() { grep '^sound ' "$work/out.log" | cut -d' ' -f2; }
# sounds_within <n> <seconds>: whether the program has played n sounds in all by then.
sounds_within() {
  local deadline=$((SECONDS + $2))
  until [ "$(sounds | wc -l)" -ge "$1" ]; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}
# wait_sounds <n> <seconds>: until the program has played n sounds in all.
wait_sounds() { sounds_within "$1" "$2" || fail "expected $1 sounds, got: $(sounds | tr '\n' ' ')"; }
# gone_within <window name regex> <seconds>: whether no such window shows by then.
gone_within() {
  local deadline=$((SECONDS + $2))
  while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}
# wait_for <file> <extended regex> <seconds>: until a line of the file matches.
wait_for() {
  local deadline=$((SECONDS + $3))
  until grep -Eq "$2" "$1" 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}
# Semitones above C4 of a sound's name (do, do#, ... si; "+" an octave up).
declare -A pitch=([do]=0 [do#]=1 [re]=2 [re#]=3 [mi]=4 [fa]=5 [fa#]=6 [so]=7 [so#]=8 [ra]=9 [ra#]=10 [si]=11)
semitone() { local n="${1#+}"; echo $((pitch[$n] + (${#1} - ${#n}) * 12)); }
# The MIDI note of a sound's name (do = C4 = 60).
midi() { echo $((60 + $(semitone "$1"))); }
# named_while_ringing <5 question sound names> <MIDI notes to sing...>: whether a note
# sung from 0.3 s after the question's last note, one every 0.65 s, has the name of a
# question note still ringing then. Each rings some 1.5 s and they are 0.5 s apart:
# the first sung note meets the question's notes 2-5, the second notes 4-5, the third
# the last; the later ones come after the ring. The game hears such a note, sung no
# louder than its echo, only once the piano has died away.
named_while_ringing() {
  local question=("${@:1:5}") notes=("${@:6}") ringing_from=(1 3 4) j k
  for j in 0 1 2; do
    for ((k = ringing_from[j]; k < 5; k++)); do
      if [ $(((notes[j] - $(midi "${question[k]}")) % 12)) = 0 ]; then return 0; fi
    done
  done
  return 1
}

# clear_stale_jack_state: JACK keeps its servers' registry in shared memory, and a
# server that was killed without its clean-up leaves its entry there for good; once
# the registry is full, no new server starts ("Too many servers already active").
# With no JACK server running on the machine at all, that state is garbage.
clear_stale_jack_state() {
  if ! pgrep -x 'jackd|jackdbus' >/dev/null; then
    rm -rf /dev/shm/jack-shm-registry /dev/shm/jack-[0-9]* /dev/shm/jack_db-* /dev/shm/jack_sem.* 2>/dev/null || true
  fi
}

# start_private_jack <log file> <period> [restart]: starts a JACK server of this run's
# own, named $JACK_DEFAULT_SERVER (dummy driver, 48 kHz, no real-time), its pid in
# $jackd_pid; fails unless it answers within 10 s. Its synchronous mode (-S) waits
# for a client late in a cycle instead of skipping it, so a busy machine delays
# notes rather than losing them. With `restart`, JACK's registry is kept as a server
# that stopped leaves it, for the clients still running (libjack keeps it mapped).
start_private_jack() {
  [ "${3:-}" = restart ] || clear_stale_jack_state
  jackd -S -n "$JACK_DEFAULT_SERVER" --no-realtime -d dummy -r 48000 -p "$2" >"$1" 2>&1 &
  jackd_pid=$!
  local i
  for i in $(seq 100); do
    if jack_lsp >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

# stop_private_jack: stops that server, if it runs, and removes the semaphores it
# leaves behind.
stop_private_jack() {
  if [ -n "${jackd_pid:-}" ]; then
    kill "$jackd_pid" 2>/dev/null || true
    wait "$jackd_pid" 2>/dev/null || true
  fi
  jackd_pid=""
  [ -z "${JACK_DEFAULT_SERVER:-}" ] || rm -f /dev/shm/jack_sem.*_"$JACK_DEFAULT_SERVER"_*
}
