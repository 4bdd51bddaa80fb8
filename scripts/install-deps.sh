#!/usr/bin/env bash
# Installs, from Debian's archive, whatever the build, the game and the tests need
# and this machine does not have yet. Uses sudo when not run as root.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev libsdl2-dev
  librtmidi-dev libjack-jackd2-dev
  libaubio-dev libspeexdsp-dev
  fonts-ipafont-gothic
  xvfb xauth xdotool x11-utils imagemagick jackd2
  pulseaudio pulseaudio-utils
  valgrind desktop-file-utils appstream dpkg-dev file lintian man-db
)

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
