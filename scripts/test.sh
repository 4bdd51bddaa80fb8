#!/usr/bin/env bash
# Installs what is missing, builds everything in build-test/ with warnings as errors,
# and runs the whole test suite headless (offscreen Qt, SDL's dummy/disk audio, Xvfb
# for the real binary, valgrind, the play command's own build in build-play/), checks
# the desktop files and the Debian package, sings a spread of the sampled singers into
# the real binary, then builds in build-asan/ and runs the suite again under
# AddressSanitizer + UBSan, and in build-tsan/ the tests of threads under
# ThreadSanitizer (ZORVANTA_SKIP_SANITIZERS=1 skips both).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc)"
"$root/scripts/install-deps.sh" test
# shellcheck source=build-dir.sh
. "$root/scripts/build-dir.sh"

# -Werror belongs to these builds only: a newer compiler's new warning must not stop
# a player's build (play.sh).
# Debug information is line tables only (-g1): what a backtrace, a sanitizer's report
# and valgrind name (function, file and line), at a quarter less compile time than
# full information, which only a debugger stepping through locals would need.
lines_only=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
  -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1)
build="$root/build-test"
zv_configure "$build" "${lines_only[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVANTA_WERROR=ON -DZORVANTA_SANITIZE=OFF \
  -DZORVANTA_TESTS=ON -DZORVANTA_BENCH=ON -DZORVANTA_ASSETS=ON
cmake --build "$build" -j "$jobs"
(cd "$build" && ctest --output-on-failure -j "$jobs")
# The desktop files validate, and the Debian package passes lintian, installs, starts
# and uninstalls.
"$root/scripts/package-check.sh" "$build"

# The web edition: its own build in build-web/, then the same seeded game traced by
# both cores and the players' sessions in headless chromium.
"$root/scripts/web.sh" --build-only
"$root/tests/web/run.sh" "$build" "$root/build-web"

# Every other line of the sampled singers' corpus sung into the real binary, with
# headphones and with loudspeakers, the game's sound looped back at the voice's level
# (bench/voice_corpus_real.sh --check). It runs in real
# time and takes little CPU, so it runs beside the sanitizer builds; its report comes at
# the end. A process group of its own: should a sanitizer step fail, its display, sound
# server and game end with this script.
corpus_log="$(mktemp)"
BENCH_ECHO_GAIN=0.45 setsid "$root/bench/voice_corpus_real.sh" --build-dir "$build" --every 2 --check >"$corpus_log" 2>&1 &
corpus=$!
trap 'kill -- -"$corpus" 2>/dev/null || true; rm -f "$corpus_log"' EXIT

if [ "${ZORVANTA_SKIP_SANITIZERS:-0}" != "1" ]; then
  asan="$root/build-asan"
  zv_configure "$asan" "${lines_only[@]}" -DCMAKE_BUILD_TYPE=Debug -DZORVANTA_WERROR=ON -DZORVANTA_SANITIZE=ON \
    -DZORVANTA_TESTS=ON -DZORVANTA_BENCH=OFF -DZORVANTA_ASSETS=ON
  cmake --build "$asan" -j "$jobs"
  (cd "$asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     ctest --output-on-failure -j "$jobs" -LE nosanitize)

  # ThreadSanitizer on the tests labelled "threads", the ones whose code of ours runs
  # on threads (the sound service, MIDI over JACK, start-up's helper threads, the
  # devices module, the microphone's capture and canceller): only what they run is
  # built. A report makes the program exit with status 66, which fails its test. The
  # longest history ThreadSanitizer keeps: the capture thread's work overran the
  # default one, and a report whose earlier access it cannot restore escapes the
  # suppressions.
  tsan="$root/build-tsan"
  zv_configure "$tsan" "${lines_only[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVANTA_WERROR=ON -DZORVANTA_SANITIZE=thread \
    -DZORVANTA_TESTS=ON -DZORVANTA_BENCH=OFF -DZORVANTA_ASSETS=ON
  cmake --build "$tsan" -j "$jobs" -t thread_tests
  (cd "$tsan" && TSAN_OPTIONS="suppressions=$root/tests/tsan.supp exitcode=66 history_size=7" \
     ctest --output-on-failure -j "$jobs" -L threads)
fi

corpus_status=0
wait "$corpus" || corpus_status=$?
cat "$corpus_log"
exit "$corpus_status"
