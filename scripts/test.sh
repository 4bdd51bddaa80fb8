#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, and runs the
# whole test suite headless (offscreen Qt, SDL's dummy/disk audio, Xvfb for the
# real binary, valgrind), checks the desktop files and the Debian package, then runs
# the suite again under AddressSanitizer + UBSan.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc)"
"$root/scripts/install-deps.sh"

cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVANTA_WERROR=ON
cmake --build "$root/build" -j "$jobs"
(cd "$root/build" && ctest --output-on-failure -j "$jobs")
# The desktop files validate, and the Debian package installs, starts and uninstalls.
"$root/scripts/package-check.sh" "$root/build"

if [ "${ZORVANTA_SKIP_SANITIZERS:-0}" != "1" ]; then
  cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORVANTA_WERROR=ON \
        -DZORVANTA_SANITIZE=ON -DZORVANTA_BENCH=OFF
  cmake --build "$root/build-asan" -j "$jobs"
  (cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     ctest --output-on-failure -j "$jobs" -LE nosanitize)
fi
