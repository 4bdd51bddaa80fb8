#!/usr/bin/env bash
# Renders the application icon from its hand-written vector source
# assets/icon/zorvanta.svg:
#   assets/icon/zorvanta.png      48 x 48, 8-bit palette (256 colours)
#   assets/icon/zorvanta-256.png  256 x 256, full colour
#
#   tools/make_icon.sh [icon-dir]    (default: <repo>/assets/icon)
#
# Debian's ImageMagick 6 has no SVG reader here, so the small subset of SVG
# the icon uses (rect, ellipse with rotate(), path with absolute M/L/H/V/Z,
# groups with fill, one linear gradient) is translated into ImageMagick's
# own vector language (MVG) and drawn with `convert -draw`. Both sizes are
# drawn at eight times their size and box-filtered down for even
# anti-aliasing. Anything outside that subset stops the script rather than
# rendering something different from the SVG.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
icon_dir=${1:-"$here/../assets/icon"}
convert=${CONVERT:-/usr/bin/convert}
svg="$icon_dir/zorvanta.svg"
ss=8

[[ -x $convert ]] || { echo "make_icon: ImageMagick convert not found at $convert" >&2; exit 1; }
[[ -r $svg ]] || { echo "make_icon: missing $svg" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/svg2mvg.py" <<'PY'
"""Translate the icon's SVG subset into MVG for a canvas of the given pixel size."""
import re
import sys
import xml.etree.ElementTree as ET

NS = "{http://www.w3.org/2000/svg}"
svg_path, pixels = sys.argv[1], int(sys.argv[2])
root = ET.parse(svg_path).getroot()
if root.get("viewBox", "").split() != ["0", "0", "48", "48"]:
    sys.exit("svg2mvg: the icon is drawn on a 0 0 48 48 viewBox")
scale = pixels / 48
out = []


def num(v):
    return float(v) * scale


def fmt(*values):
    return ",".join(f"{v:.4f}" for v in values)


def fail(msg):
    sys.exit(f"svg2mvg: {msg}")


def paint(value):
    m = re.fullmatch(r"url\(#([\w-]+)\)", value)
    return f"url(#{m.group(1)})" if m else value


def path_data(d):
    tokens = re.findall(r"[A-Za-z]|-?\d*\.?\d+(?:e-?\d+)?", d)
    result = []
    for t in tokens:
        if t.isalpha():
            if t not in "MLHVZ":
                fail(f"path command {t} is not supported")
            result.append(t)
        else:
            result.append(f"{float(t) * scale:.4f}")
    return " ".join(result)


def shape(el, fill):
    tag = el.tag.removeprefix(NS)
    fill = el.get("fill", fill)
    if tag == "g":
        for child in el:
            shape(child, fill)
        return
    if tag in ("title", "desc"):
        return
    if tag == "defs":
        for grad in el:
            if grad.tag.removeprefix(NS) != "linearGradient" or grad.get("gradientUnits") != "userSpaceOnUse":
                fail("only userSpaceOnUse linear gradients are supported")
            out.append("push defs")
            out.append(f"push gradient '{grad.get('id')}' linear "
                       f"{fmt(num(grad.get('x1')), num(grad.get('y1')))} {fmt(num(grad.get('x2')), num(grad.get('y2')))}")
            for stop in grad:
                out.append(f"stop-color '{stop.get('stop-color')}' {float(stop.get('offset'))}")
            out.append("pop gradient")
            out.append("pop defs")
        return
    if fill is None:
        fail(f"<{tag}> has no fill")
    out.append("push graphic-context")
    out.append(f"fill '{paint(fill)}'")
    out.append("stroke none")
    transform = el.get("transform")
    if tag == "rect":
        if transform:
            fail("transformed rect is not supported")
        x, y, w, h = (num(el.get(k)) for k in ("x", "y", "width", "height"))
        rx = num(el.get("rx", "0"))
        ry = num(el.get("ry", el.get("rx", "0")))
        if rx > 0 or ry > 0:
            out.append(f"roundrectangle {fmt(x, y)} {fmt(x + w, y + h)} {fmt(rx, ry)}")
        else:
            out.append(f"rectangle {fmt(x, y)} {fmt(x + w, y + h)}")
    elif tag == "ellipse":
        cx, cy, rx, ry = (num(el.get(k)) for k in ("cx", "cy", "rx", "ry"))
        angle = 0.0
        if transform:
            m = re.fullmatch(r"rotate\(\s*(-?[\d.]+)\s+(-?[\d.]+)\s+(-?[\d.]+)\s*\)", transform)
            if not m or num(m.group(2)) != cx or num(m.group(3)) != cy:
                fail(f"ellipse transform '{transform}' must rotate about the centre")
            angle = float(m.group(1))
        out.append(f"translate {fmt(cx, cy)}")
        out.append(f"rotate {angle}")
        out.append(f"ellipse 0,0 {fmt(rx, ry)} 0,360")
    elif tag == "path":
        if transform:
            fail("transformed path is not supported")
        out.append(f"path '{path_data(el.get('d'))}'")
    else:
        fail(f"element <{tag}> is not supported")
    out.append("pop graphic-context")


for child in root:
    shape(child, root.get("fill"))
print("\n".join(out))
PY

# render <pixel size>: draws $work/icon-<size>.png with an alpha channel
render() {
  local size=$1
  local big=$((size * ss))
  python3 "$work/svg2mvg.py" "$svg" "$big" >"$work/icon-$size.mvg"
  "$convert" -size "${big}x${big}" xc:none -draw "$(cat "$work/icon-$size.mvg")" \
    -scale "${size}x${size}" "$work/icon-$size.png"
}

# No time stamps in the files, so re-running the script reproduces them byte for byte.
png_opts=(-define 'png:exclude-chunks=date,time')

render 256
"$convert" "$work/icon-256.png" -strip "${png_opts[@]}" "PNG32:$icon_dir/zorvanta-256.png"

# 48 px: quantise to at most 256 colours and store as an 8-bit palette PNG.
# "-type PaletteAlpha" keeps a per-entry alpha table (tRNS), so the
# anti-aliased rounded corners stay smooth; the PNG8: encoder would cut
# alpha to on/off and leave the corners jagged.
render 48
"$convert" "$work/icon-48.png" -strip +dither -colors 256 -type PaletteAlpha \
  "${png_opts[@]}" -define png:bit-depth=8 "PNG:$icon_dir/zorvanta.png"

echo "make_icon: wrote zorvanta.png (48x48, palette) and zorvanta-256.png to $icon_dir"
