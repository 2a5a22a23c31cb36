#!/usr/bin/env bash
# Draws the program icon (a green level gauge on black) at 32x32 and 16x16, palette-based so that
# every Windows from 95 on can show it. Run by hand when the picture changes; kept in resources/.
set -euo pipefail
out=${1:-$(dirname "$0")/../resources/velmora.ico}
tmp=$(mktemp -d)
for s in 32 16; do
  convert -size ${s}x${s} xc:black \
    -fill '#008000' -draw "rectangle $((s/5)),$((s/2)) $((s*2/5)),$((s-s/6))" \
    -fill '#00FF00' -draw "rectangle $((s*2/5+1)),$((s/4)) $((s*3/5)),$((s-s/6))" \
    -fill '#008000' -draw "rectangle $((s*3/5+1)),$((s*3/8)) $((s*4/5)),$((s-s/6))" \
    -alpha off -type Palette "BMP3:$tmp/$s.bmp"
done
convert "$tmp/32.bmp" "$tmp/16.bmp" -alpha off -type Palette "$out"
rm -rf "$tmp"
