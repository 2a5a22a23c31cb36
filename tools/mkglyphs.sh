#!/usr/bin/env bash
# Draws the main window's 32x32 button glyphs: "System info..." (a monitor showing an "i") and
# "Optimize it!" (a lightning bolt). Magenta is the background: the bottom-left pixel is the
# colour the buttons leave clear. Run by hand when a picture changes; kept in resources/.
set -euo pipefail
out=${1:-$(dirname "$0")/../resources}
convert -size 32x32 xc:'#FF00FF' +antialias -stroke '#404040' -strokewidth 1 \
  -fill '#D4D0C8' -draw 'rectangle 2,3 29,23' \
  -fill '#1050B0' -stroke '#505050' -draw 'rectangle 5,6 26,20' -stroke none \
  -fill '#3C78D8' -draw 'rectangle 6,7 25,9' \
  -fill white -draw 'rectangle 15,8 16,9' -draw 'rectangle 15,11 16,18' -draw 'rectangle 14,11 14,11' \
  -draw 'rectangle 14,18 17,18' \
  -fill '#808080' -draw 'rectangle 13,24 18,26' \
  -fill '#D4D0C8' -stroke '#404040' -draw 'rectangle 8,27 23,29' \
  -alpha off -type TrueColor "BMP3:$out/sysinfo32.bmp"
convert -size 32x32 xc:'#FF00FF' +antialias -stroke '#9A4A00' -strokewidth 1 -fill '#FFD030' \
  -draw 'polygon 19,1 6,18 14,18 10,30 26,12 18,12 23,1' \
  -stroke none -fill '#FFF0A0' -draw 'polygon 19,3 9,16 13,16 21,3' \
  -alpha off -type TrueColor "BMP3:$out/optimize32.bmp"
