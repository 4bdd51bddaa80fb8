#!/usr/bin/env bash
# The web edition: installs what is missing (Emscripten, chromium, Node, LAME,
# fonttools, dpkg-dev), fetches aubio's and speexdsp's Debian sources, builds into build-web/ and serves the site, build-web/site/, at
# http://localhost:8080/ with a plain static server (Ctrl+C ends it).
#   ./scripts/web.sh               build and serve
#   ./scripts/web.sh --build-only  build only
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-web"
"$root/scripts/install-deps.sh" web

# Debian's emscripten runs its JavaScript optimizer with node, which must find
# Debian's acorn in /usr/share/nodejs.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
# shellcheck source=build-dir.sh
. "$root/scripts/build-dir.sh"
# aubio and speexdsp for the voice's module: Debian's sources, fetched once.
"$root/scripts/debian-sources.sh" "$build/third_party"
toolchain="$(em-config EMSCRIPTEN_ROOT)/cmake/Modules/Platform/Emscripten.cmake"
zv_configure "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DZORVANTA_TESTS=ON
cmake --build "$build" -j "$(nproc)"
# The browser tools the tests and benchmarks use, exactly as locked.
lock="$root/web/node_modules/.package-lock.json"
if [ ! -f "$lock" ] || [ "$root/web/package-lock.json" -nt "$lock" ]; then
  (cd "$root/web" && npm ci --no-audit --no-fund)
fi
echo "The site is $build/site/: upload that folder to any static host."
if [ "${1:-}" = "--build-only" ]; then
  exit 0
fi
echo "Serving the game at http://localhost:8080/ (Ctrl+C ends)"
cd "$build/site"
exec python3 -m http.server 8080 --bind 127.0.0.1
