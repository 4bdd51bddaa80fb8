#!/usr/bin/env bash
# The web edition's tests: the same seeded game traced by the desktop core and by the
# core compiled to WebAssembly must match line for line; the page's key codes must be
# the desktop's; then the players' sessions of tests/web/e2e.mjs and the history's of
# tests/web/history.mjs run in headless chromium.
#   tests/web/run.sh <desktop build folder> <web build folder>
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
desktop="$1"
web="$2"
if [ "$(node -p 'process.versions.node.split(".")[0]')" -lt 20 ]; then
  echo "tests/web/run.sh: playwright-core needs Node.js 20 or later; found $(node --version)" >&2
  exit 1
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$desktop/bin/zorvanta_trace" > "$work/desktop.txt"
node "$web/web/zorvanta_trace_web.js" > "$work/web.txt"
if ! diff -u "$work/desktop.txt" "$work/web.txt"; then
  echo "FAIL the web core's trace differs from the desktop core's" >&2
  exit 1
fi
echo "ok   the same seeded game traces alike on the desktop and web cores ($(wc -l < "$work/desktop.txt") lines)"

node "$here/key_codes.mjs"
# Of the engines there, firefox plays only into a sound server (a private one, with a
# null sink) and WebKitGTK's MiniBrowser needs a display.
. "$here/../e2e/pulse_server.sh"
pulse_private_env "$work/pulse"
pulse_start "$work/pulse"
trap 'pulse_stop; rm -rf "$work"' EXIT
xvfb-run -a node "$here/e2e.mjs" "$web/site" "$desktop"
node "$here/history.mjs" "$web/site"
