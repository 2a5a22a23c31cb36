#!/usr/bin/env bash
# Draws the optimization wizard's pictures: the 160x320 side picture of its first and last pages
# (rising bars, a dial and a lightning bolt in light greens) and the 52x52 header picture of the
# interior pages (the dial). Magenta is the background: the bottom-left pixel is the colour the
# pages leave clear, so the side picture lies on the page's watermark colour. No anti-aliasing:
# blended edges would keep a magenta fringe. The side picture is stored run-length encoded (a
# quarter of its plain size; the header picture is smaller plain). Run by hand when a picture
# changes; kept in resources/.
set -euo pipefail
out=${1:-$(dirname "$0")/../resources}
convert -size 160x320 xc:'#FF00FF' +antialias -strokewidth 2 -fill none \
  -stroke '#2E9A40' -draw 'circle 80,120 80,50' \
  -stroke '#48B058' -draw 'arc 22,62 138,178 150,390' \
  -stroke none -fill '#2E9A40' -draw 'rectangle 14,250 34,300' \
  -fill '#48B058' -draw 'rectangle 44,226 64,300' \
  -fill '#6CC878' -draw 'rectangle 74,198 94,300' \
  -fill '#98DCA0' -draw 'rectangle 104,164 124,300' \
  -fill '#C8F0CC' -draw 'rectangle 134,126 154,300' \
  -fill '#2E9A40' -draw 'rectangle 8,304 152,307' \
  -stroke '#1E6A2A' -strokewidth 1 -fill '#F4FFF0' \
  -draw 'polygon 92,64 56,126 78,126 64,176 108,106 86,106 104,64' \
  -alpha off -type Palette -compress RLE "BMP3:$out/optwatermark.bmp"
convert -size 52x52 xc:'#FF00FF' +antialias -stroke '#1E6A2A' -strokewidth 2 -fill '#E6F6E0' \
  -draw 'circle 26,28 26,5' -stroke none \
  -fill '#2E9A40' -draw 'rectangle 11,27 14,29' -draw 'rectangle 25,11 27,14' -draw 'rectangle 38,27 41,29' \
  -fill '#48B058' -draw 'rectangle 15,16 17,18' -draw 'rectangle 35,16 37,18' \
  -stroke '#C02020' -strokewidth 2 -draw 'line 26,28 37,17' -stroke none \
  -fill '#404040' -draw 'circle 26,28 26,31' \
  -fill '#2E9A40' -draw 'rectangle 16,38 36,42' \
  -alpha off -type Palette "BMP3:$out/optheader.bmp"
