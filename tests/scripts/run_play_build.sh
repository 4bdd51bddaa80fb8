#!/usr/bin/env bash
# Runs the play command's configure and build steps (scripts/play.sh --build-only) in
# the clone whose test build is running, after leaving the play folder configured
# with the test build's settings, as an older checkout or a shared folder would.
# Passes when the play build
#   - succeeds with no compiler warning (a fresh clone compiles every file here),
#   - ends up Release, without warnings as errors, sanitizers or tests,
#   - links no sanitizer runtime,
# and the test build's own cache is left as it was.
#   run_play_build.sh <source dir> <test build dir>
set -euo pipefail
source=$(realpath "$1")
test_build=$(realpath "$2")
play_build="$source/build-play"
if [ "$(realpath -m "$play_build")" = "$test_build" ]; then
  echo "play_build: the test build is the play command's own folder; use another" >&2
  exit 1
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
cache_value() {
  sed -n "s/^$1:[A-Z]*=//p" "$play_build/CMakeCache.txt"
}
failures=0
fail() {
  echo "play_build: $*" >&2
  failures=$((failures + 1))
}

test_cache=$(sha256sum <"$test_build/CMakeCache.txt")
cmake -S "$source" -B "$play_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORVANTA_WERROR=ON \
  -DZORVANTA_SANITIZE=ON -DZORVANTA_TESTS=ON >"$log" 2>&1 || { cat "$log" >&2; exit 1; }

if ! "$source/scripts/play.sh" --build-only >"$log" 2>&1; then
  cat "$log" >&2
  echo "play_build: scripts/play.sh --build-only failed" >&2
  exit 1
fi
if grep -F 'warning:' "$log" >&2; then
  fail "the play build printed compiler warnings"
fi
[ "$(cache_value CMAKE_BUILD_TYPE)" = Release ] || fail "the play build is not a Release build"
for option in ZORVANTA_WERROR ZORVANTA_SANITIZE ZORVANTA_TESTS; do
  [ "$(cache_value "$option")" = OFF ] || fail "the play build kept $option=$(cache_value "$option")"
done
exe="$play_build/bin/zorvanta"
if [ ! -x "$exe" ]; then
  fail "$exe was not built"
elif readelf -d "$exe" | grep -E 'NEEDED.*lib(a|ub)san' >&2; then
  fail "the game links a sanitizer runtime"
fi
[ "$(sha256sum <"$test_build/CMakeCache.txt")" = "$test_cache" ] || fail "the play command changed the test build's cache"

if [ "$failures" -ne 0 ]; then
  echo "play_build: $failures problems; the play command's output:" >&2
  cat "$log" >&2
  exit 1
fi
echo "play_build: the play command builds a clean Release game after the test build"
