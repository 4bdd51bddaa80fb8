# Sourced by the benchmark scripts (bench/run.sh, bench/sound_server.sh, bench/voice.sh,
# bench/voice_corpus_real.sh): how they record their own command line, pool the samples
# the programs write and judge them, and start the game traced for the singing figures.

# command_line <line> <knob variables...>: the line, with each knob set in the
# environment written before it, so that the report says how to repeat the run.
command_line() {
  local line="$1" knob
  shift
  for knob in "$@"; do
    if [ -n "${!knob:-}" ]; then line="$knob='${!knob}' $line"; fi
  done
  printf '%s\n' "$line"
}

log() { printf '%s\n' "$*" >&2; }
# cpu_ns <pid>: CPU time of all the process's threads so far, in ns.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {print s + 0}'; }
# thread_cpu <pid>: each thread's id, kind and CPU time so far (ns), a line each; the
# kind is SDL's playback or capture thread, the window's (main) thread, or other.
thread_cpu() {
  local task kind
  for task in /proc/"$1"/task/*; do
    case "$(cat "$task/comm" 2>/dev/null)" in
      SDLAudioP*) kind=playback ;; SDLAudioC*) kind=capture ;;
      *) if [ "${task##*/}" = "$1" ]; then kind=window; else kind=other; fi ;;
    esac
    printf '%s %s %s\n' "${task##*/}" "$kind" "$(cut -d' ' -f1 "$task/schedstat" 2>/dev/null || echo 0)"
  done
}
# thread_cpu_delta <before> <after>: ms of CPU each kind of thread took between two
# thread_cpu listings (a thread started between them counts from nothing).
thread_cpu_delta() {
  awk 'NR == FNR { was[$1] = $3; next } { ms[$2] += ($3 - was[$1]) / 1e6 }
       END { printf "playback %.1f, capture %.1f, window %.1f, other %.1f ms\n", ms["playback"], ms["capture"], ms["window"], ms["other"] }' "$1" "$2"
}
# thread_cpu_total <before> <after>: ms of CPU all the threads took between the two.
thread_cpu_total() {
  awk 'NR == FNR { was[$1] = $3; next } { ms += ($3 - was[$1]) / 1e6 } END { printf "%.1f\n", ms }' "$1" "$2"
}
# n min median p99 max of the numbers in the files (nearest rank).
stats() {
  cat "$@" | sort -g | awk '{v[NR]=$1} END {
    if (NR == 0) { print "0 nan nan nan nan"; exit }
    m = int(NR * 0.5); if (m < NR * 0.5) m++; if (m < 1) m = 1
    p = int(NR * 0.99); if (p < NR * 0.99) p++; if (p < 1) p = 1
    printf "%d %.3f %.3f %.3f %.3f\n", NR, v[1], v[m], v[p], v[NR] }'
}
# p95 <file>: the 95th percentile of the file's numbers, one a line.
p95() { sort -g "$1" | awk '{v[NR]=$1} END {i=int(NR*0.95); if (i<NR*0.95) i++; print v[i]}'; }
field() { echo "$1" | awk -v i="$2" '{print $i}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
le() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }'; }
verdict() { if le "$1" "$2"; then echo "met"; else echo "**missed**"; fi; }
# result <key> <log>: the value of a program's "RESULT <key> <value>" line.
result() { awk -v k="$1" '$1 == "RESULT" && $2 == k {print $3}' "$2"; }
load() { cut -d' ' -f1-3 /proc/loadavg; }
# libs <program>: how many shared libraries it loads; ver <package>: its version.
libs() { ldd "$1" | grep -c '=>' || true; }
ver() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || echo "?"; }

# start_timed <log>: $binary with --sing on the X display (tests/e2e/common.sh's
# game_window), each trace line stamped with the time (us) it came; returns once the
# microphone is open, the process in $pid and the window's id in $wid. Gives up
# (status 1, with a message) when either takes more than 20 s.
start_timed() {
  ZORVANTA_TRACE=1 QT_QPA_PLATFORM=xcb "$binary" --sing > >(while IFS= read -r line; do
    echo "${EPOCHREALTIME/./} $line"; done >"$1") 2>/dev/null &
  pid=$!
  wid="$(game_window "$pid")"
  [ -n "$wid" ] || { log "the game's window did not show within 20 s"; return 1; }
  local deadline=$((SECONDS + 20))
  until grep -q 'Voice: listening' "$1" 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || { log "the game did not open the microphone within 20 s"; return 1; }
    sleep 0.05
  done
}
