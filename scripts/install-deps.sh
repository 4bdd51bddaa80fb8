#!/usr/bin/env bash
# Installs, from Debian's archive, what a command needs and this machine does not
# have yet: the play list of scripts/packages.txt for `play`, the web list for `web`
# (scripts/web.sh), all three lists for `test` (the default). Uses sudo when not run
# as root.
#   scripts/install-deps.sh [play|web|test]
set -euo pipefail
list="$(dirname "${BASH_SOURCE[0]}")/packages.txt"
case "${1:-test}" in
  play) wanted='^play:' ;;
  web) wanted='^web:' ;;
  test) wanted='^(play|test|web):' ;;
  *) echo "usage: $0 [play|web|test]" >&2; exit 2 ;;
esac
read -ra packages <<<"$(grep -E "$wanted" "$list" | cut -d: -f2- | tr '\n' ' ')"
[ ${#packages[@]} -gt 0 ] || { echo "install-deps: no packages listed in $list" >&2; exit 1; }

# Node from another source brings its own npm; Debian's nodejs needs the package.
if [[ " ${packages[*]} " == *" nodejs "* ]] && ! command -v npm >/dev/null; then
  packages+=(npm)
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
