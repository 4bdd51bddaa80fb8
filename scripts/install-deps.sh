#!/usr/bin/env bash
# Installs, from Debian's archive, what a command needs and this machine does not
# have yet: the play list of scripts/packages.txt for `play`, both lists for `test`
# (the default). Uses sudo when not run as root.
#   scripts/install-deps.sh [play|test]
set -euo pipefail
list="$(dirname "${BASH_SOURCE[0]}")/packages.txt"
case "${1:-test}" in
  play) wanted='^play:' ;;
  test) wanted='^(play|test):' ;;
  *) echo "usage: $0 [play|test]" >&2; exit 2 ;;
esac
read -ra packages <<<"$(grep -E "$wanted" "$list" | cut -d: -f2- | tr '\n' ' ')"
[ ${#packages[@]} -gt 0 ] || { echo "install-deps: no packages listed in $list" >&2; exit 1; }

# The web edition (scripts/web.sh, and the test command's browser tests): Emscripten,
# Debian's chromium, Node and npm for the browser driver, LAME for the MP3 sounds,
# fonttools with Brotli for the WOFF2 font subset.
if [ "${1:-}" = "--web" ]; then
  packages+=(emscripten chromium nodejs lame fonttools python3-brotli python3)
  # Node from another source brings its own npm; Debian's nodejs needs the package.
  command -v npm >/dev/null || packages+=(npm)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
# Waits for another apt or dpkg run (an unattended upgrade) instead of failing at once.
lock=(-o DPkg::Lock::Timeout=600)
$sudo apt-get "${lock[@]}" update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get "${lock[@]}" install -y -q --no-install-recommends "${missing[@]}"
