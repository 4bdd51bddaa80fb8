#!/usr/bin/env bash
# Regenerates the answer pictures shown after each round:
#   maru.jpg      a red circle  (right answer)
#   batu.jpg      a blue cross  (wrong answer)
#   gameover.jpg  "GAME OVER"
# All are 220 x 146 JPEGs on a white background.
#
#   tools/make_pictures.sh [output-dir]    (default: <repo>/assets/pictures)
#
# Shapes are drawn at four times the final size and box-filtered down, which
# gives smooth, evenly anti-aliased edges. JPEGs are written without chroma
# subsampling so the saturated red and blue edges stay crisp.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out_dir=${1:-"$here/../assets/pictures"}
convert=${CONVERT:-/usr/bin/convert}
font=${FONT:-/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf}
[[ -r $font ]] || font=/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf

[[ -x $convert ]] || { echo "make_pictures: ImageMagick convert not found at $convert" >&2; exit 1; }
[[ -r $font ]] || { echo "make_pictures: no usable font (apt install fonts-dejavu-core)" >&2; exit 1; }

width=220
height=146
ss=4                                   # supersampling factor
big_w=$((width * ss))
big_h=$((height * ss))
cx=$((big_w / 2))
cy=$((big_h / 2))
background='#ffffff'
red='#d92b2b'
blue='#1f5ccc'
jpeg_opts=(-strip -sampling-factor 1x1 -quality 92)

mkdir -p "$out_dir"

# Red ring: outer diameter 116 px, stroke 16 px.
r=$((50 * ss))
"$convert" -size "${big_w}x${big_h}" "xc:$background" \
  -fill none -stroke "$red" -strokewidth $((16 * ss)) \
  -draw "circle $cx,$cy $((cx + r)),$cy" \
  -scale "${width}x${height}!" "${jpeg_opts[@]}" "$out_dir/maru.jpg"

# Blue cross with rounded ends, about as tall as the ring.
d=$((42 * ss))
"$convert" -size "${big_w}x${big_h}" "xc:$background" \
  -fill none -stroke "$blue" -strokewidth $((16 * ss)) \
  -draw "stroke-linecap round line $((cx - d)),$((cy - d)) $((cx + d)),$((cy + d))" \
  -draw "stroke-linecap round line $((cx + d)),$((cy - d)) $((cx - d)),$((cy + d))" \
  -scale "${width}x${height}!" "${jpeg_opts[@]}" "$out_dir/batu.jpg"

# "GAME OVER" between two thin rules. The text is rendered on its own,
# trimmed to its ink and centred, so it sits in the middle regardless of the
# font's ascent and descent.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$convert" -background none -fill '#222222' -font "$font" -pointsize $((27 * ss)) \
  label:'GAME OVER' -trim +repage "$work/text.png"
rule_y1=$((cy - 25 * ss))
rule_y2=$((cy + 25 * ss - 1))
rule_x0=$((16 * ss))
rule_x1=$((big_w - 16 * ss - 1))
"$convert" -size "${big_w}x${big_h}" "xc:$background" \
  -fill "$red" -stroke none \
  -draw "rectangle $rule_x0,$rule_y1 $rule_x1,$((rule_y1 + 3 * ss - 1))" \
  -draw "rectangle $rule_x0,$((rule_y2 - 3 * ss + 1)) $rule_x1,$rule_y2" \
  "$work/text.png" -gravity center -composite \
  -scale "${width}x${height}!" "${jpeg_opts[@]}" "$out_dir/gameover.jpg"

echo "make_pictures: wrote maru.jpg batu.jpg gameover.jpg to $out_dir"
