#!/usr/bin/env bash
# Checks the desktop integration and the Debian package of a configured build folder:
#   1. the desktop entry (desktop-file-validate) and the AppStream metainfo
#      (appstreamcli validate, and validate-tree on a staged install, which also
#      checks the launcher it names) are clean: no error, no warning;
#   2. `cpack -G DEB` builds the package in the build folder; lintian reports no
#      error and no warning on it, its manual page renders without a warning and its
#      metainfo validates in the package's own tree;
#   3. dpkg installs it (apt-get -f fetches dependencies that are missing);
#   4. `zorvanta` from the PATH (/usr/games), started in an empty folder on Xvfb,
#      opens its window and quits on Esc; with the tests built, its keys must sound
#      too (packaging/smoke-test.sh);
#   5. dpkg removes the package again, also when a step before fails; one that a
#      killed check left installed is removed at the start of the next.
# Installs and removes the package on this machine: root, or sudo otherwise.
#   scripts/package-check.sh <build dir>
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 <build dir>" >&2
  exit 2
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath "$1")
[ -f "$build/CMakeCache.txt" ] || { echo "package-check: $build is not a configured build folder" >&2; exit 1; }
# lintian and the other tools come from the project's package list.
"$root/scripts/install-deps.sh"
for tool in desktop-file-validate appstreamcli cpack dpkg dpkg-shlibdeps file lintian man xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "package-check: '$tool' is missing after scripts/install-deps.sh" >&2; exit 1; }
done
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
package=zorvanta
app_id=io.github.zorvanta.Zorvanta
# Written before the package is installed and deleted once it is removed: a check
# that was killed in between left it, and the package installed is then its own.
marker="$build/package-check-installed"
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "installed"; then
  if [ ! -f "$marker" ]; then
    echo "package-check: the package $package is installed already; remove it first (dpkg -r $package)" >&2
    exit 1
  fi
  echo "package-check: removing the package an interrupted check left installed"
  $sudo dpkg -r "$package"
fi
rm -f "$marker"

work=$(mktemp -d)
installed_here=0
finish() {
  local status=$?
  if [ "$installed_here" = 1 ]; then
    echo "== 5. removing the package"
    if ! $sudo dpkg -r "$package"; then
      echo "package-check: dpkg -r $package failed" >&2
      status=1
    elif [ -e /usr/games/zorvanta ] || [ -e /usr/lib/zorvanta ]; then
      echo "package-check: files are left after dpkg -r" >&2
      status=1
    else
      rm -f "$marker"
    fi
  fi
  rm -rf "$work"
  if [ "$status" -eq 0 ]; then echo "package-check: passed"; else echo "package-check: FAILED" >&2; fi
  exit "$status"
}
trap finish EXIT

# clean <tool output>: fails on any error or warning line. desktop-file-validate's
# hints pass: the entry is listed under Game and Education on purpose, which it
# hints could show the game in two menus.
clean() {
  if grep -E '(^|: )(error|warning)|^ *[EWI]: ' <<<"$1" >&2; then
    return 1
  fi
}

echo "== 1. validating the desktop entry and the metainfo"
cmake --build "$build" --target zorvanta
DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null
desktop="$work/stage/usr/share/applications/$app_id.desktop"
metainfo="$work/stage/usr/share/metainfo/$app_id.metainfo.xml"
out=$(desktop-file-validate "$desktop" 2>&1) || { echo "$out" >&2; exit 1; }
[ -z "$out" ] || echo "$out"
clean "$out"
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || { echo "$out" >&2; exit 1; }
clean "$out"
out=$(appstreamcli validate-tree --no-net "$work/stage" 2>&1) || { echo "$out" >&2; exit 1; }
clean "$out"
echo "desktop entry and metainfo: clean"

echo "== 2. building the package"
out=$(cd "$build" && cpack -G DEB 2>&1) || { echo "$out" >&2; exit 1; }
deb=$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' <<<"$out")
[ -f "$deb" ] || { echo "$out" >&2; echo "package-check: cpack made no .deb" >&2; exit 1; }
echo "$deb"
dpkg-deb -f "$deb" Package Version Section Depends
# Any E: (error) or W: (warning) line fails; an override needs a reason beside it.
# Status 1 only says that there were errors; above 1, lintian itself failed.
status=0
out=$(lintian --tag-display-limit 0 "$deb" 2>&1) || status=$?
[ -z "$out" ] || echo "$out"
if [ "$status" -gt 1 ] || grep -E '^[EW]: ' <<<"$out" >/dev/null; then
  echo "package-check: lintian reports errors or warnings (status $status)" >&2
  exit 1
fi
dpkg-deb -x "$deb" "$work/deb"
page="$work/deb/usr/share/man/man6/zorvanta.6.gz"
[ -f "$page" ] || { echo "package-check: the package has no manual page zorvanta.6.gz" >&2; exit 1; }
out=$(man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$out" ] || { echo "$out" >&2; echo "package-check: the manual page renders with warnings" >&2; exit 1; }
out=$(appstreamcli validate-tree --no-net "$work/deb" 2>&1) || { echo "$out" >&2; exit 1; }
clean "$out"
echo "lintian, manual page, metainfo in the package: clean"

echo "== 3. installing it"
installed_here=1
touch "$marker"
if ! $sudo dpkg -i "$deb"; then
  echo "dpkg -i left dependencies missing; fetching them"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -f -y -q --no-install-recommends
fi
dpkg-query -W -f='${Status}\n' "$package" | grep -qx "install ok installed" \
  || { echo "package-check: $package is not installed" >&2; exit 1; }
[ "$(readlink -f /usr/games/zorvanta)" = /usr/lib/zorvanta/zorvanta ] \
  || { echo "package-check: /usr/games/zorvanta does not lead to /usr/lib/zorvanta/zorvanta" >&2; exit 1; }
found=$(PATH="/usr/games:/usr/bin:/bin" command -v zorvanta) || true
[ "$found" = /usr/games/zorvanta ] || { echo "package-check: zorvanta on the PATH is $found" >&2; exit 1; }

echo "== 4. starting zorvanta from an empty folder"
analyzer=()
[ -x "$build/bin/audio_activity" ] && analyzer=("$build/bin/audio_activity")
PATH="/usr/games:/usr/bin:/bin:$PATH" "$root/packaging/smoke-test.sh" zorvanta "${analyzer[@]}"
