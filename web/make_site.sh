#!/usr/bin/env bash
# Fills the site folder beside the compiled core: the page and its scripts, the
# pictures, the icons (the home screen's PNGs drawn here), the sounds as MP3 (every current browser decodes MP3, and the
# 25 files shrink from 3.5 MB of WAV to about a tenth of that) and IPA P Gothic
# subset to the characters the window and the page use, as WOFF2.
#   make_site.sh <source root> <site folder>
set -euo pipefail
root="$1"
site="$2"
mkdir -p "$site/sound" "$site/icon"

cp "$root"/web/page/* "$site/"
cp "$root"/assets/pictures/*.jpg "$site/"
cp "$root"/assets/icon/zorvanta.png "$root"/assets/icon/zorvanta-256.png "$root"/assets/icon/zorvanta.svg "$site/icon/"

# The home screen's and splash screen's icons, drawn from the game's SVG icon: 192
# and 512 px as they are, and a maskable one, whose shape the device cuts out of the
# square: the icon at 70 % on its tile's blue spread to the edges, so that all of it
# lies in the circle of 80 % that every mask keeps.
icon="$root/assets/icon/zorvanta.svg"
for size in 192 512; do
  rsvg-convert -w "$size" -h "$size" "$icon" -o "$site/icon/zorvanta-$size.png"
done
{
  printf '%s\n' '<svg xmlns="http://www.w3.org/2000/svg" width="512" height="512" viewBox="0 0 512 512">' \
    '<linearGradient id="bleed" x1="0" y1="91.7" x2="0" y2="420.3" gradientUnits="userSpaceOnUse"><stop offset="0" stop-color="#4d68c2"/><stop offset="1" stop-color="#222d5c"/></linearGradient>' \
    '<rect width="512" height="512" fill="url(#bleed)"/>' '<g transform="translate(76.8 76.8) scale(7.4667)">'
  sed '/^<?xml/d' "$icon"
  printf '%s\n' '</g>' '</svg>'
} | rsvg-convert -w 512 -h 512 -o "$site/icon/zorvanta-maskable.png"

# Sound names hold "+" and "#", which some static hosts mangle in an address: the
# files are named with "hi-" for "+" and "-sharp" for "#", and sound/files.json
# gives the page each sound name's file.
list="{"
for wav in "$root"/assets/sound/*; do
  name="$(basename "$wav")"
  file="${name//+/hi-}"
  file="${file//#/-sharp}.mp3"
  list="$list\"$name\": \"$file\", "
  if [ ! "$site/sound/$file" -nt "$wav" ]; then
    lame --quiet --noreplaygain -m m -V 2 "$wav" "$site/sound/$file"
  fi
done
printf '%s}\n' "${list%, }" > "$site/sound/files.json"

# Every character the game can show: the texts in the core's sources and the page's.
font="/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"
used="$(mktemp)"
trap 'rm -f "$used"' EXIT
python3 - "$root" > "$used" <<'PY'
import pathlib, sys
root = pathlib.Path(sys.argv[1])
chars = {chr(c) for c in range(0x20, 0x7f)} | {"∞", "…"}
for pattern in ("src/**/*.cpp", "src/**/*.h", "web/src/*.cpp", "web/page/*"):
    for path in root.glob(pattern):
        chars |= {c for c in path.read_text(encoding="utf-8") if ord(c) > 0x7f}
sys.stdout.write("".join(sorted(chars)))
PY
pyftsubset "$font" --text-file="$used" --flavor=woff2 --layout-features='*' \
  --output-file="$site/ipagp-subset.woff2"

# The service worker's list of the site's files and a hash of their contents.
cd "$site"
# The voice's files are not fetched until the player turns singing on.
later="voice.js voice.wasm singing-worklet.js"
files="$(find . -type f ! -name sw.js ! -name '*.stamp' | sed 's|^\./||' | LC_ALL=C sort)"
version="$(printf '%s\n' $files | xargs cat | sha256sum | cut -c1-16)"
first="$(printf '%s\n' $files | grep -vxF -f <(printf '%s\n' $later))"
list="'./', $(printf "'%s', " $first)"
later_list="$(printf "'%s', " $later)"
sed -i "s|@VERSION@|$version|; s|\[@FILES@\]|[${list%, }]|; s|\[@LATER@\]|[${later_list%, }]|" sw.js
