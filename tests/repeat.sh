#!/usr/bin/env bash
# Runs tests again and again from one build, optionally while two busy loops hold both
# cores, and prints each one's pass count and its failure lines.
#   tests/repeat.sh --repeat N [--load] [--build-dir DIR] [--web-dir DIR] [test-name-regex...]
# With no regex: every test labelled e2e, and the browser sessions (tests/web/run.sh,
# as "web") when the web build folder (default build-web/) has been built; "web"
# among the regexes names the browser sessions alone. The runs go
# round by round, every test once a round, so a spell of extra load falls on all.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
repeat=1 load=0 build="$root/build-test" web="$root/build-web" patterns=()
while [ $# -gt 0 ]; do
  case "$1" in
    --repeat) repeat=$2; shift 2 ;;
    --load) load=1; shift ;;
    --build-dir) build="$(realpath "$2")"; shift 2 ;;
    --web-dir) web="$(realpath "$2")"; shift 2 ;;
    -*) echo "usage: $0 --repeat N [--load] [--build-dir DIR] [--web-dir DIR] [test-name-regex...]" >&2; exit 2 ;;
    *) patterns+=("$1"); shift ;;
  esac
done

# The names CTest lists for a selection (-R regex or -L label).
listed() { ctest --test-dir "$build" -N "$@" | sed -n 's/^ *Test *#[0-9]*: //p'; }
tests=()
if [ ${#patterns[@]} -eq 0 ]; then
  mapfile -t tests < <(listed -L '^e2e$')
  [ ! -f "$web/site/core.wasm" ] || tests+=(web)
else
  for p in "${patterns[@]}"; do
    if [ "$p" = web ]; then tests+=(web); else mapfile -t -O "${#tests[@]}" tests < <(listed -R "$p"); fi
  done
fi
[ ${#tests[@]} -gt 0 ] || { echo "no test matches" >&2; exit 2; }

logs="$(mktemp -d /tmp/repeat.XXXXXX)"
hogs=()
stop_hogs() { for h in "${hogs[@]}"; do kill "$h" 2>/dev/null || true; done; }
trap stop_hogs EXIT
if [ "$load" = 1 ]; then
  for _ in 1 2; do
    bash -c 'while :; do :; done' &
    hogs+=($!)
  done
fi

declare -A passed
for t in "${tests[@]}"; do passed[$t]=0; done
for ((round = 1; round <= repeat; round++)); do
  for t in "${tests[@]}"; do
    log="$logs/$t.$round.log"
    if [ "$t" = web ]; then cmd=("$root/tests/web/run.sh" "$build" "$web")
    else cmd=(ctest --test-dir "$build" -R "^$t\$" --output-on-failure); fi
    if "${cmd[@]}" >"$log" 2>&1; then
      passed[$t]=$((passed[$t] + 1)); result=pass
    else result=FAIL; fi
    echo "round $round/$repeat: $t $result ($log)" >&2
  done
done

printf '\n%-28s %s\n' test "passed (load: $([ "$load" = 1 ] && echo 2 busy loops || echo none))"
for t in "${tests[@]}"; do
  printf '%-28s %d/%d\n' "$t" "${passed[$t]}" "$repeat"
  # Each failure line once, with how many runs printed it.
  cat "$logs/$t".*.log | grep -E '^FAIL|FAIL!|^not ok|\*\*\*(Failed|Timeout)' |
    sort | uniq -c | sort -rn | head -n 8 | sed 's/^/    /' || true
done
echo "logs: $logs"
