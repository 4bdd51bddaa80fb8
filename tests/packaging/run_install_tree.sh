#!/usr/bin/env bash
# Installs the build into a temporary prefix whose path has a space and a "#" in it,
# checks the installed tree (the link in bin/ and none in games/, every asset beside
# the executable byte for byte, the desktop entry, metainfo, theme icons, manual page
# and the copyright and changelog) and starts the installed command from an empty
# folder (packaging/smoke-test.sh).
#   run_install_tree.sh <build dir> <source dir> <audio_activity>
set -euo pipefail
build=$1
source=$2
analyzer=$3
id=io.github.zorvanta.Zorvanta

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/install root #1"
cmake --install "$build" --prefix "$prefix" >"$work/install.log"

failures=0
fail() {
  echo "install_tree: $*" >&2
  failures=$((failures + 1))
}
# same <repository file> <installed file>
same() {
  cmp -s "$1" "$2" || fail "${2#"$prefix"/} is missing or differs from ${1#"$source"/}"
}

app="$prefix/lib/zorvanta"
[ "$(readlink "$prefix/bin/zorvanta")" = ../lib/zorvanta/zorvanta ] \
  || fail "bin/zorvanta is not the relative link ../lib/zorvanta/zorvanta"
# games/ is the Debian package's folder for the link; a plain install has none.
[ ! -e "$prefix/games" ] || fail "a plain install made games/"
[ -f "$app/zorvanta" ] && [ ! -L "$app/zorvanta" ] && [ -x "$app/zorvanta" ] \
  || fail "lib/zorvanta/zorvanta is not an executable file"
if readelf -d "$app/zorvanta" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
  fail "the installed executable still looks for libraries in the build folder"
fi

sounds=0
for f in "$source"/assets/sound/*; do
  same "$f" "$app/sound/$(basename "$f")"
  sounds=$((sounds + 1))
done
[ "$sounds" -eq 25 ] || fail "expected 25 sounds in the repository, found $sounds"
[ "$(find "$app/sound" -type f | wc -l)" -eq 25 ] || fail "lib/zorvanta/sound does not hold exactly the 25 sounds"
for f in maru.jpg batu.jpg gameover.jpg; do same "$source/assets/pictures/$f" "$app/$f"; done
for f in zorvanta.png zorvanta-256.png zorvanta.svg; do same "$source/assets/icon/$f" "$app/icon/$f"; done

share="$prefix/share"
same "$source/packaging/$id.desktop" "$share/applications/$id.desktop"
same "$source/packaging/$id.metainfo.xml" "$share/metainfo/$id.metainfo.xml"
same "$source/assets/icon/zorvanta.png" "$share/icons/hicolor/48x48/apps/$id.png"
same "$source/assets/icon/zorvanta-256.png" "$share/icons/hicolor/256x256/apps/$id.png"
same "$source/assets/icon/zorvanta.svg" "$share/icons/hicolor/scalable/apps/$id.svg"
same "$source/packaging/copyright" "$share/doc/zorvanta/copyright"
for f in zorvanta.6:man/man6 changelog:doc/zorvanta; do
  gz="$share/${f#*:}/${f%%:*}.gz"
  gzip -dc "$gz" 2>/dev/null | cmp -s - "$source/packaging/${f%%:*}" \
    || fail "${gz#"$prefix"/} is missing or does not hold packaging/${f%%:*}"
done
# The launcher runs the command on the PATH and shows the theme icon installed above.
grep -qx 'Exec=zorvanta' "$share/applications/$id.desktop" || fail "the desktop entry does not run zorvanta"
grep -qx "Icon=$id" "$share/applications/$id.desktop" || fail "the desktop entry's icon is not $id"
grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$share/metainfo/$id.metainfo.xml" \
  || fail "the metainfo does not launch $id.desktop"

if [ "$failures" -ne 0 ]; then
  echo "install_tree: $failures problems; installed:" >&2
  (cd "$prefix" && find . | sort) >&2
  exit 1
fi
echo "install_tree: the installed tree is complete"
PATH="$prefix/bin:$PATH" bash "$source/packaging/smoke-test.sh" zorvanta "$analyzer"
