#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVANTA_TESTS=OFF -DZORVANTA_BENCH=OFF
cmake --build "$root/build" --target zorvanta
exec "$root/build/bin/zorvanta"
