#!/usr/bin/env bash
# The command line's history actions on the real program, no display: each case runs
# zorvanta with its arguments against a fresh-or-ongoing history and checks the exit
# status and a line of its output. Then a game window started with --no-history (and
# one without) shows whether a history file is made.
#   run_history_cli.sh <zorvanta>
set -uo pipefail
zorvanta=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data
failures=0
fail() { echo "history_cli: $*" >&2; failures=$((failures + 1)); }

header=game_id,started_utc,notes_per_question,key_range,time_limit_s,game_ms,game_questions,game_rights,game_finished,question,melody,answered,verdict,replays,answer_shown,answer_ms,input
printf '%s\r\ng1,2026-12-01T10:00:00.000Z,3,0,30,30000,2,1,1,0,0 4 7,0 4 7,right,0,0,1200,keys\r\ng1,2026-12-01T10:00:00.000Z,3,0,30,30000,2,1,1,1,0 2 7,0 3,wrong,1,1,900,midi\r\n' "$header" >"$work/good.csv"
printf '%s\r\ng2,2026-12-01T10:00:00.000Z,3,0,30,30000,1,1,1,0,0 4 7,0 4 7,right,0,0,1200,=HYPERLINK("x")\r\n' "$header" >"$work/formula.csv"
head -c 4096 /dev/urandom >"$work/binary.csv"

# arguments | exit status | a line of the output
cases=(
  "--import-history $work/good.csv|0|added 1 games"
  "--import-history $work/good.csv|0|added 0 games .* 1 were kept already"
  "--import-history $work/formula.csv|1|formula"
  "--import-history $work/binary.csv|1|binary"
  "--import-history $work/missing.csv|1|cannot import"
  "--export-history $work/out.csv|0|wrote 1 games \\(2 questions\\)"
  "--forget-history|0|forgotten"
  "--export-history $work/empty.csv|0|wrote 0 games"
  "--export-history|2|needs a file"
)
for c in "${cases[@]}"; do
  IFS='|' read -r args status expected <<<"$c"
  # shellcheck disable=SC2086
  out=$("$zorvanta" $args 2>&1)
  got=$?
  [ "$got" = "$status" ] || fail "'$args' exited $got, not $status: $out"
  grep -qE -- "$expected" <<<"$out" || fail "'$args' did not say '$expected': $out"
done
cmp -s <(tr -d '\r' <"$work/good.csv") <(tr -d '\r' <"$work/out.csv") || fail "the export differs from the file imported"

# The game window: without --no-history the file opens just after the first frame;
# with it, none is there by the time the other one was (nor a second later).
for mode in "" --no-history; do
  rm -rf "$XDG_DATA_HOME"
  coproc GAME { ZORVANTA_REPORT_FIRST_PAINT=1 QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy exec "$zorvanta" $mode 2>&1; }
  pid=$GAME_PID
  timeout 20 grep -q -m1 '^first-paint' <&"${GAME[0]}" || fail "the window '$mode' did not paint"
  waited=0
  while [ ! -e "$XDG_DATA_HOME/zorvanta/history.sqlite" ] && [ "$waited" -lt "${opened:-100}" ]; do
    sleep 0.05
    waited=$((waited + 1))
  done
  [ -z "$mode" ] && opened=$((waited + 20))
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  if [ -n "$mode" ]; then
    [ ! -e "$XDG_DATA_HOME" ] || fail "--no-history made $(find "$XDG_DATA_HOME")"
  else
    [ -e "$XDG_DATA_HOME/zorvanta/history.sqlite" ] || fail "the game made no history file"
  fi
done
[ "$failures" -eq 0 ] || exit 1
echo "history_cli: ${#cases[@]} command lines and the two game windows behaved"
