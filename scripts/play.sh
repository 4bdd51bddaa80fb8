#!/usr/bin/env bash
# Installs what is missing, builds the game in build-play/ (Release, no tests) and
# starts it.
#   scripts/play.sh [--build-only]      --build-only: stop once the game is built
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_only=0
case "${1:-}" in
  "") ;;
  --build-only) build_only=1 ;;
  *) echo "usage: $0 [--build-only]" >&2; exit 2 ;;
esac
"$root/scripts/install-deps.sh" play
# shellcheck source=build-dir.sh
. "$root/scripts/build-dir.sh"

build="$root/build-play"
zv_configure "$build" -DCMAKE_BUILD_TYPE=Release -DZORVANTA_WERROR=OFF -DZORVANTA_SANITIZE=OFF \
  -DZORVANTA_TESTS=OFF -DZORVANTA_BENCH=OFF -DZORVANTA_ASSETS=ON
cmake --build "$build" --target zorvanta
if [ "$build_only" = 1 ]; then
  exit 0
fi
exec "$build/bin/zorvanta"
