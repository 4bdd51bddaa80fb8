#!/usr/bin/env bash
# The play command's package list (the `play:` lines of scripts/packages.txt) holds
# only what the play build in build-play/ uses, checked against that build:
#   - a tool it ran (compiler, cmake, ninja, pkg-config: the paths its cache names),
#   - a header it compiled, or a library or CMake file it linked or read,
#   - a font whose family the game's binary names, a Qt SQL driver it names;
# and no package there is a server (a systemd unit, a D-Bus service, an autostart
# entry) or on the test list as well.
#   check_play_packages.sh <source dir>
set -euo pipefail
source=$(realpath "$1")
play="$source/build-play"
[ -x "$play/bin/zorvanta" ] || { echo "play_packages: $play has no game built; run scripts/play.sh --build-only" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
list() { grep -E "^$1:" "$source/scripts/packages.txt" | cut -d: -f2- | tr ' ' '\n' | sed '/^$/d'; }

# Every path the build used, one a line, with the links of the tools it ran followed.
{
  ninja -C "$play" -t deps | sed -n 's/^ *\(\/.*\)$/\1/p'
  ninja -C "$play" -t commands zorvanta | tr ' ' '\n' | grep '^/'
  sed -n 's/^build build\.ninja:.*| \(.*\)$/\1/p' "$play/build.ninja" | tr ' ' '\n' | grep '^/'
  for tool in CMAKE_CXX_COMPILER CMAKE_MAKE_PROGRAM CMAKE_COMMAND PKG_CONFIG_EXECUTABLE; do
    path=$(sed -n "s/^$tool:[A-Z]*=//p" "$play/CMakeCache.txt")
    while [ -n "$path" ] && [ -e "$path" ]; do
      echo "$path"
      next=$(readlink "$path") || break
      case "$next" in /*) path=$next ;; *) path="$(dirname "$path")/$next" ;; esac
    done
  done
} | sed 's|//*|/|g' | xargs -r realpath -s -m | sort -u >"$work/used"

failures=0
fail() { echo "play_packages: $*" >&2; failures=$((failures + 1)); }
list test >"$work/test"
while read -r package; do
  grep -qx "$package" "$work/test" && fail "$package is on the test list too"
  files=$(dpkg -L "$package" 2>/dev/null) || { fail "$package is not installed"; continue; }
  if grep -E '/systemd/(system|user)/|/dbus-1/(system-)?services/|/xdg/autostart/|^/etc/init\.d/' <<<"$files" >&2; then
    fail "$package ships a server"
  fi
  grep -Fxf <(realpath -s -m $files 2>/dev/null) "$work/used" >/dev/null && continue
  used=0
  while read -r font; do
    family=$(fc-scan --format '%{family[0]}' "$font")
    [ -n "$family" ] && grep -aqF "$family" "$play/bin/zorvanta" && used=1
  done < <(grep -E '\.(ttf|otf|ttc)$' <<<"$files")
  # A Qt SQL driver is a plugin the game loads by its name ("QSQLITE" for libqsqlite.so).
  while read -r plugin; do
    driver=$(basename "$plugin" .so)
    grep -aqF "Q$(tr a-z A-Z <<<"${driver#libq}")" "$play/bin/zorvanta" && used=1
  done < <(grep -E '/plugins/sqldrivers/[^/]+\.so$' <<<"$files")
  [ "$used" = 1 ] || fail "$package: nothing of it is used by the play build"
done < <(list play)
[ "$failures" -eq 0 ] || exit 1
echo "play_packages: every package on the play list is used by the play build; no server, no test tool"
