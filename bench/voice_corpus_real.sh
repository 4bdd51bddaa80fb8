#!/usr/bin/env bash
# The sampled singers' corpus (tests/platform/voice_corpus.txt) sung into the real
# binary as a person answers, on a private Xvfb and PulseAudio (tests/e2e/pulse_server.sh:
# the game plays into the null sink "cap"; the default source is the monitor of the
# null sink "mic", the virtual microphone). Two conditions, each a program of its own:
# headphones (the microphone hears only the voice) and loudspeakers (the game's output
# looped into the microphone as well).
# For corpus line k the game plays a question; the singer (line k's sound font,
# patch, detuning and style) sings the question's pitch classes, each in the octave
# nearest line k's note at that place, its first note 300 ms after the question's last
# note's onset. The phrase is rendered once the question's last note is out
# (bench/support/corpus_take.py); when that takes too long to start the voice on time,
# the singer presses REPLAY and sings 300 ms after the replay's last note instead.
# Counted from the game's ZORVANTA_TRACE lines (stamped as they come), per condition:
# sung notes heard with their pitch class (in order: the longest common subsequence
# of the phrase's classes and the "sung" lines of its span), extra "sung" lines in
# those spans, "sung" lines while nobody sings (the game's own sound), the answers
# the game judged right (its end-of-game summaries), and each right note's onset to
# its "sung" line. A question the game keeps waiting on (a note missed) ends its game
# (Esc, the summary closed) and the next line starts a new game.
#   bench/voice_corpus_real.sh --build-dir DIR [--phrases N | --every K] [--check]
#   bench/voice_corpus_real.sh --count KEPT_DIR [--check]   (a kept run's figures again)
# --phrases N sings the first N lines; --every K lines 0, K, 2K... (a spread of the
# table's fonts, patches and ranges in a K-th of the time). --check makes the run a
# test: it fails unless, in each condition, nothing is heard from the game's own sound,
# at least 80 % of the sung notes (70 % with loudspeakers) are heard by their pitch
# class, extra notes are at most 10 %, and a note is heard within 350 ms of its onset
# at the median. Those bounds guard against a fault (a loaded machine's runs stay
# inside them); the figures the game aims at are in docs/performance.md.
# Knobs (environment): BENCH_ECHO_GAIN, the loopback's volume as a linear factor (1:
# the game's sound as loud as it is played, peaks at 0.71 of full scale, more than
# twice the voice's 0.3, as in tests/e2e/run_sing.sh; 0.45 brings it to the voice's
# level, as the corpus bench's simulated room and the page's bench have it);
# BENCH_KEEP_WORK=DIR keeps the traces and the phrases' records there.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
args=("$@")
build="" phrases="" every=1 recount="" check=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) [ $# -ge 2 ] || break; build="$(realpath "$2")"; shift 2 ;;
    --count) if [ $# -lt 2 ] || [ ! -f "$2/phrases" ]; then break; fi; recount="$(realpath "$2")"; shift 2 ;;
    --phrases) if [ $# -lt 2 ] || ! [[ "$2" =~ ^[1-9][0-9]*$ ]]; then break; fi; phrases="$2"; shift 2 ;;
    --every) if [ $# -lt 2 ] || ! [[ "$2" =~ ^[1-9][0-9]*$ ]]; then break; fi; every="$2"; shift 2 ;;
    --check) check=1; shift ;;
    *) break ;;
  esac
done
if [ $# -gt 0 ] || [ -z "$build$recount" ]; then
  echo "usage: $0 --build-dir DIR [--phrases N | --every K] [--check] | --count KEPT_DIR [--check]" >&2
  exit 2
fi
. "$root/bench/support/figures.sh"
. "$root/tests/e2e/common.sh"
if [ -n "$recount" ]; then
  # The figures of a run kept by BENCH_KEEP_WORK, counted again.
  work="$recount"
  read -r echo_gain load_before load_after invocation <"$work/run"
  load_before="${load_before//,/ }" load_after="${load_after//,/ }"
else
on_xvfb "$0" "${args[@]}"
invocation="$(command_line "bench/voice_corpus_real.sh ${args[*]}" BENCH_ECHO_GAIN BENCH_KEEP_WORK)"
echo_gain="${BENCH_ECHO_GAIN:-1}"
[[ "$echo_gain" =~ ^[0-9]+(\.[0-9]+)?$ ]] || { echo "BENCH_ECHO_GAIN: a linear factor such as 1 or 0.45, not $echo_gain" >&2; exit 2; }
binary="$build/bin/zorvanta"
if [ ! -x "$binary" ] || [ ! -f "$build/bin/modules/zorvanta-devices.so" ]; then
  echo "no game in $build: cmake --build $build -t zorvanta zorvanta_devices" >&2
  exit 1
fi
command -v fluidsynth >/dev/null || { echo "fluidsynth missing: scripts/install-deps.sh test" >&2; exit 1; }
table="$root/tests/platform/voice_corpus.txt"
mapfile -t rows < <(grep -v '^#' "$table" | grep -v '^[[:space:]]*$' | awk -v k="$every" '(NR - 1) % k == 0')
count=${#rows[@]}
[ -z "$phrases" ] || [ "$phrases" -ge "$count" ] || count="$phrases"

pid="" pa=""
start_work pid pa
. "$root/tests/e2e/pulse_server.sh"
pulse_private_env "$work"
pulse_start "$work" || { echo "private PulseAudio did not start" >&2; exit 1; }
pactl load-module module-null-sink sink_name=mic rate=16000 channels=1 >/dev/null
pactl set-default-sink cap
pactl set-default-source mic.monitor
load_before="$(load)"

# The window's controls (px): START/STOP, REPLAY, and the time limit's "no limit" box,
# ticked once so that a game runs until it is ended.
start_at=(549 266) replay_at=(549 220) no_limit_at=(440 272)
click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; }
now() { echo "${EPOCHREALTIME/./}"; }
die() { log "FAIL ($condition, line $k): $*"; log "--- the game's trace"; tail -n 60 "$trace" >&2 || true; exit 1; }
# The trace's sounds: how many so far; the n-th's stamp and name.
sound_count() { grep -c '^[0-9]* sound ' "$trace" || true; }
sound_at() { awk -v n="$1" '$2 == "sound" && ++i == n {print $1, $3; exit}' "$trace"; }
# until_sounds <n> <epoch us>: whether the game has played n sounds by then.
until_sounds() {
  until [ "$(sound_count)" -ge "$1" ]; do
    [ "$(now)" -lt "$2" ] || return 1
    kill -0 "$pid" 2>/dev/null || die "the game ended by itself"
    sleep 0.02
  done
}
wait_until() { while [ "$(now)" -lt "$1" ]; do sleep 0.005; done; }

# new_game: START in the idle window; its chime is the next sound.
new_game() {
  game=$((game + 1)) playing=1
  click "${start_at[@]}"
  until_sounds $((consumed + 1)) $(($(now) + 10000000)) || die "no start chime within 10 s of START"
  consumed=$((consumed + 1))
  [ "$(sound_at "$consumed" | cut -d' ' -f2)" = +++do ] || die "START played $(sound_at "$consumed"), not the chime"
}
# end_game: Esc ends the game; its summary (the right answers in "正解数:<n>") is
# kept and closed, and the window is idle again.
end_game() {
  local boxes box summary
  boxes="$(grep -c '^[0-9]* box ' "$trace" || true)"
  press_on "$wid" Escape
  local deadline=$((SECONDS + 10))
  until [ "$(grep -c '^[0-9]* box ' "$trace" || true)" -gt "$boxes" ]; do
    [ "$SECONDS" -lt "$deadline" ] || die "no summary within 10 s of Esc"
    sleep 0.05
  done
  summary="$(grep '^[0-9]* box ' "$trace" | tail -n 1)"
  [[ "$summary" =~ 正解数:([0-9]+) ]] || die "no right answers in the summary: $summary"
  echo "$condition $game ${BASH_REMATCH[1]}" >>"$work/games"
  box="$(timeout 10 xdotool search --sync --onlyvisible --name '音メロディー' | head -n 1 || true)"
  [ -n "$box" ] || die "the summary box did not show"
  press_on "$box" Return
  gone_within '音メロディー' 5 || die "the summary box did not close"
  # Whatever the game played before its end is behind us.
  consumed="$(sound_count)" playing=0
}

# sing_line <k>: corpus line k answers the next question; retried (at most three
# questions, then the line is left unsung) when the game judged the question before
# the singer began.
sing_line() {
  local font program cents style line_notes sum sung=() question=() names stamp qfirst="" last i j out
  read -r font program cents style line_notes <<<"${rows[$1]}"
  local line_no=$(($1 * every))  # the table's own line number, for the records
  read -r -a line_notes <<<"$line_notes"
  sum=0; for j in "${line_notes[@]}"; do sum=$((sum + j)); done
  local _
  for _ in 1 2 3; do
    [ "$playing" = 1 ] || new_game
    until_sounds $((consumed + 5)) $(($(now) + 15000000)) || die "no question within 15 s"
    question=() sung=()
    for i in 1 2 3 4 5; do
      read -r stamp names < <(sound_at $((consumed + i)))
      question+=("$names")
      [ "$i$qfirst" != 1 ] || qfirst="$stamp"
      last="$stamp"
    done
    consumed=$((consumed + 5))
    # Each note in the octave nearest line k's note at its place (a tie: the one
    # nearer the line's middle), so that the patch sings within its range.
    for i in 0 1 2 3 4; do
      local c=$(($(midi "${question[i]}") % 12)) t=${line_notes[i]} down
      down=$((t - ((t - c) % 12 + 12) % 12))
      if [ $((t - down)) -lt $((down + 12 - t)) ]; then sung+=("$down")
      elif [ $((t - down)) -gt $((down + 12 - t)) ]; then sung+=($((down + 12)))
      elif [ $(((5 * down - sum) ** 2)) -le $(((5 * down + 60 - sum) ** 2)) ]; then sung+=("$down")
      else sung+=($((down + 12))); fi
    done
    out="$(python3 "$root/bench/support/corpus_take.py" "$work/voice.wav" $((last + 300000)) \
      "$font" "$program" "$cents" "$style" "${sung[@]}")" || die "rendering the phrase failed"
    local mode lead spacing span own_lead path=direct
    read -r mode lead spacing span own_lead <<<"$out"
    if [ "$mode" != on-time ]; then
      # Too late for this playing: REPLAY, and the same 300 ms after its last note.
      path=replay
      click "${replay_at[@]}"
      until_sounds $((consumed + 5)) $(($(now) + 8000000)) || die "REPLAY played no question within 8 s"
      local replayed=()
      for i in 1 2 3 4 5; do
        read -r stamp names < <(sound_at $((consumed + i)))
        replayed+=("$names")
        last="$stamp"
      done
      if [ "${replayed[*]}" != "${question[*]}" ]; then
        # Not the replay but the next question: a note heard from the game's own
        # sound was judged first. The line answers that question instead.
        echo "$condition $line_no ${question[*]}" >>"$work/judged_early"
        continue
      fi
      consumed=$((consumed + 5))
      wait_until $((last + 300000 - lead * 1000))
    fi
    local start
    start="$(now)"
    timeout 20 paplay -d mic "$work/voice.wav" || die "paplay failed"
    local onset=$((start + lead * 1000)) end=$((start + lead * 1000 + span * 1000))
    echo "$condition $game $line_no $path $onset $end $last $spacing ${question[*]} ${sung[*]} $own_lead $qfirst" >>"$work/phrases"
    # The game moves on when it has judged the answer; a missed note leaves it waiting.
    if ! until_sounds $((consumed + 1)) $((end + 1500000)); then
      echo "$condition $line_no" >>"$work/waited"
      end_game
    fi
    return 0
  done
  # The game keeps taking notes from its own sound: the line goes unsung.
  echo "$condition $line_no" >>"$work/unsung"
}

# run_condition <name>: the game started afresh, its time limit off, one START, then
# every line in turn; last, its game ended and the program quit.
run_condition() {
  condition="$1" trace="$work/$1.log" consumed=0 game=0 playing=0 k=-
  start_timed "$trace" || die "the game did not start"
  click "${no_limit_at[@]}"
  sleep 0.3
  for ((k = 0; k < count; k++)); do sing_line "$k"; done
  [ "$playing" = 0 ] || end_game
  press_on "$wid" Escape
  wait_exit "$pid" 10 || die "the game did not quit on Esc in the idle window"
  pid=""
}
: >"$work/games"; : >"$work/phrases"; : >"$work/waited"; : >"$work/judged_early"; : >"$work/unsung"
run_condition headphones
# The loopback as a room: a path of one length. Left without its rate adjustment, the
# loopback's buffer grew by about 0.46 ms a second here (20 ms to 148 ms in under five
# minutes, `pactl list sink-inputs`), the echo coming later and later as no room's
# does; adjusting its rate every second holds it near its 20 ms.
pactl load-module module-loopback source=cap.monitor sink=mic latency_msec=20 adjust_time=1 >/dev/null
# Nothing else plays into "mic" now: its one stream is the loopback's.
# pactl reads a volume with a decimal point as a linear factor, and one without as
# its raw scale (0-65536): "1" would all but mute the loopback.
pactl set-sink-input-volume "$(pactl list short sink-inputs | cut -f1)" "$(printf '%.3f' "$echo_gain")"
loop_db="$(pactl list sink-inputs | sed -n 's|^[[:space:]]*Volume:.*/ *\(-\?[0-9.inf]*\) dB.*|\1|p' | head -n 1)"
awk -v g="$echo_gain" -v db="$loop_db" 'BEGIN { exit !(g > 0 && db != "-inf" && (db - 20 * log(g) / log(10)) ^ 2 < 0.01) }' ||
  { echo "the loopback's volume reads ${loop_db:-nothing} dB, not the $echo_gain asked" >&2; exit 1; }
run_condition loudspeakers
load_after="$(load)"
echo "$echo_gain ${load_before// /,} ${load_after// /,} $invocation" >"$work/run"
[ -z "${BENCH_KEEP_WORK:-}" ] || cp -r "$work" "$BENCH_KEEP_WORK"
fi

# The counts. A "sung" line belongs to the phrase in whose span it came: from 100 ms
# before its first note's onset to 1.5 s after its last note's end (a note held back
# by the echo check is named late; the game is ended then if it still waits), or to
# the first sound the game starts playing after that end, if sooner (it has moved on;
# the notes of a question begun while the singer sang do not end the span): past it,
# only a note of a class the singer sang in the phrase and the game has not sounded
# since (the singer's own release, still ringing) is the phrase's. Of the
# others, those from a question's first sound to its singer's start came from the
# game's own sound; the rest came elsewhere (the start chime, the summary, a game's
# end). Right notes: the longest common subsequence of the phrase's pitch classes
# and its lines'; each one's latency from its note's onset. The game's own judgment is
# the summaries'; beside it, what the trace predicts: the lines from the game's last
# note before the singer on, judged as the game judges (the first wrong class ends it).
count_condition() {
  # The sounds' pitch classes, as tests/e2e/common.sh names them.
  local classes="" name
  for name in "${!pitch[@]}"; do classes+="$name=${pitch[$name]} "; done
  awk -v cond="$1" -v out="$work/$1" -v classes="$classes" '
    FILENAME ~ /phrases$/ { if ($1 != cond) next
      n++; game[n] = $2; line[n] = $3; path[n] = $4; on[n] = $5; end[n] = $6; last[n] = $7; sp[n] = $8
      q[n] = $9 " " $10 " " $11 " " $12 " " $13; for (i = 1; i <= 5; i++) s[n, i] = $(13 + i)
      sung[n] = $14 " " $15 " " $16 " " $17 " " $18; lead[n] = $19; first[n] = $20; next }
    function tail(p, t, m,   i, sang) {
      for (i = 1; i <= 5; i++) sang = sang || s[p, i] % 12 == m % 12
      for (i = 1; i <= ns && sang; i++) sang = !(st[i] > cap[p] && st[i] <= t && sc[i] == m % 12)
      return sang }
    BEGIN { split(classes, pairs, " "); for (i in pairs) { split(pairs[i], kv, "="); cls[kv[1]] = kv[2] } }
    $2 == "sound" { if ($1 - prev > 600000) for (p = 1; p <= n; p++) if ($1 > end[p] && !(p in cap)) cap[p] = $1
      prev = $1; name = said = $3; gsub(/\+/, "", name); st[++ns] = $1; sc[ns] = cls[name] }
    $2 == "sung" { t = $1; m = $3; mine = 0
      for (p = 1; p <= n; p++) {
        if (t > end[p] + 1500000 || ((p in cap) && t > cap[p] && !tail(p, t, m))) continue
        if (t >= last[p]) jl[p, ++jn[p]] = m
        if (t >= on[p] - 100000) { h[p, ++hn[p]] = m; ht[p, hn[p]] = t; mine = 1 }
      }
      if (mine) next
      for (p = 1; p <= n; p++) if (t >= first[p] && t < on[p] - 100000) mine = p
      if (!mine) { other++; next }
      own++
      printf "  %s line %d (question %s): %d, %.0f ms after its first sound, %.0f ms after the game\047s last (%s), %.0f ms before the singer\n",
        cond, line[mine], q[mine], m, (t - first[mine]) / 1000, (t - prev) / 1000, said, (on[mine] - t) / 1000 > (out ".own") }
    END {
      for (p = 1; p <= n; p++) {
        for (i = 0; i <= 5; i++) for (j = 0; j <= hn[p]; j++) L[i, j] = 0
        for (i = 1; i <= 5; i++) for (j = 1; j <= hn[p]; j++)
          L[i, j] = (s[p, i] % 12 == h[p, j] % 12) ? L[i - 1, j - 1] + 1 : (L[i - 1, j] > L[i, j - 1] ? L[i - 1, j] : L[i, j - 1])
        i = 5; j = hn[p]
        # Each sung note paired with the earliest line that can be its (a later one of
        # the same class is an extra, such as its release heard again).
        while (i > 0 && j > 0) {
          if (L[i, j - 1] == L[i, j]) j--
          else if (s[p, i] % 12 == h[p, j] % 12 && L[i, j] == L[i - 1, j - 1] + 1) {
            printf "%.1f\n", (ht[p, j] - on[p] - (i - 1) * sp[p] * 1000) / 1000 > (out ".latency"); i--; j-- }
          else i--
        }
        r = L[5, hn[p]]; right += r; extra += hn[p] - r; notes += 5
        verdict = "waited"; pos = 1
        for (j = 1; j <= jn[p]; j++) {
          if (jl[p, j] % 12 != s[p, pos] % 12) { verdict = "wrong"; break }
          if (++pos > 5) { verdict = "right"; break }
        }
        if (verdict == "right") predicted[game[p]]++
        paths[path[p]]++
        printf "%.1f\n", (on[p] - last[p]) / 1000 > (out ".start")
        heard = ""; for (j = 1; j <= hn[p]; j++) heard = heard h[p, j] " "
        if (r < 5 || hn[p] > r)
          printf "  %s line %d (game %d, %s): question %s, sung %s, heard %s(right %d, extra %d; the trace says %s)\n",
            cond, line[p], game[p], path[p], q[p], sung[p], heard == "" ? "nothing " : heard, r, hn[p] - r, verdict > (out ".misses")
      }
      for (g in predicted) printf "%s %d\n", g, predicted[g] > (out ".predicted")
      for (p = 1; p <= n; p++) printf "%d\n", lead[p] > (out ".lead")
      printf "%d %d %d %d %d %d %d\n", notes, right, extra, own + 0, other + 0, paths["direct"] + 0, paths["replay"] + 0 > (out ".counts")
    }' "$work/phrases" "$work/$1.log"
  touch "$work/$1.latency" "$work/$1.misses" "$work/$1.predicted" "$work/$1.own"
}
row() {  # the table's row of a condition
  local c="$1" notes right extra own other direct replay judged predicted waited early lat start
  count_condition "$c"
  read -r notes right extra own other direct replay <"$work/$c.counts"
  judged="$(awk -v c="$c" '$1 == c {s += $3} END {print s + 0}' "$work/games")"
  predicted="$(awk '{s += $2} END {print s + 0}' "$work/$c.predicted")"
  waited="$(grep -c "^$c " "$work/waited" || true)"
  early="$(grep -c "^$c " "$work/judged_early" || true)"
  lat="$(stats "$work/$c.latency")"
  start="$(stats "$work/$c.start")"
  printf '| %s | %d of %d (%s %%) | %d | %d | %d | %d of %d (the trace predicts %d) | %d | %s / %s / %s ms | %s / %s ms (%d on time, %d after REPLAY) |\n' \
    "$c" "$right" "$notes" "$(awk -v a="$right" -v b="$notes" 'BEGIN { printf "%.1f", 100 * a / b }')" "$extra" "$own" "$other" \
    "$judged" "$((notes / 5))" "$predicted" "$((waited + early))" "$(field "$lat" 3)" "$(p95 "$work/$c.latency")" \
    "$(field "$lat" 5)" "$(field "$start" 3)" "$(field "$start" 5)" "$direct" "$replay"
  # The test's bounds (--check).
  [ "$notes" -gt 0 ] || failed+=("$c: no phrase sung")
  le "$own" 0 || failed+=("$c: $own notes heard from the game's own sound")
  local least=80
  [ "$c" = headphones ] || least=70
  le $((least * notes)) $((100 * right)) || failed+=("$c: $right of $notes notes heard by their pitch class, under $least %")
  le $((10 * extra)) "$notes" || failed+=("$c: $extra extra notes in $notes, over 10 %")
  le "$(field "$lat" 3)" 350 || failed+=("$c: onset to \"sung\" $(field "$lat" 3) ms at the median, over 350 ms")
}
failed=()
echo
echo "$invocation"
echo "load average before: $load_before; after: $load_after"
echo
echo "| Condition | Notes heard by the right pitch class | Extra | From the game's sound | Elsewhere | Answers the game judged right | Questions left unjudged | Onset to \"sung\": median / p95 / max | Singer's first note after the game's last: median / max |"
echo "|---|---|---|---|---|---|---|---|---|"
row headphones
row loudspeakers
echo
echo "The rendering's own lead-in before its first note (cut to 100 ms before playing): $(stats "$work"/*.lead |
  awk '{print $2 "-" $5}') ms; the loudspeakers' loopback at $echo_gain of the game's level."
echo "Questions left unjudged: the game waited for a missed note (the game ended with Esc)"
echo "or judged a note of its own sound before the singer began (the line sang the next question)."
if [ -s "$work/judged_early" ]; then echo "Judged before the singer (condition, line, question):"; sed 's/^/  /' "$work/judged_early"; fi
if [ -s "$work/unsung" ]; then echo "Lines left unsung, three questions in a row judged first:"; sed 's/^/  /' "$work/unsung"; fi
for c in headphones loudspeakers; do
  awk -v c="$c" '$1 == c {n++; s = s " " $3} END {printf "%s: %d games, their summaries count%s right\n", c, n, s}' "$work/games"
done
echo "Phrases not heard as sung (right < 5 or extra notes):"
cat "$work/headphones.misses" "$work/loudspeakers.misses"
if [ -s "$work/headphones.own" ] || [ -s "$work/loudspeakers.own" ]; then
  echo "Notes heard from the game's own sound:"
  cat "$work/headphones.own" "$work/loudspeakers.own"
fi
if [ "$check" = 1 ]; then
  if [ ${#failed[@]} -gt 0 ]; then printf 'FAIL %s\n' "${failed[@]}"; exit 1; fi
  echo "ok   the sampled singers through the real binary, with headphones and loudspeakers"
fi
