#!/usr/bin/env bash
# Draws the printer icons of the system information dialog at 16x16, palette-based so that every
# Windows from 95 on can show them: a local printer, a network printer (a cable under it) and the
# "default" variant of each (a black disc with a white tick). Run by hand when the pictures
# change; kept in resources/.
set -euo pipefail
out=${1:-$(dirname "$0")/../resources}
base=(-fill '#C0C0C0' -stroke black -draw 'rectangle 1,6 14,11'
      -fill white -stroke black -draw 'rectangle 4,1 11,6'
      -fill '#808080' -stroke none -draw 'rectangle 2,10 13,10'
      -fill '#00FF00' -draw 'point 12,8')
net=(-stroke '#000080' -draw 'line 7,12 7,14' -draw 'line 2,14 13,14')
tick=(-fill black -stroke none -draw 'circle 4,11 4,15'
      -stroke white -draw 'line 2,11 3,13' -draw 'line 3,13 6,9')
draw() {  # name, extra drawing...
  local name=$1
  shift
  convert -size 16x16 xc:none +antialias "${base[@]}" "$@" -colors 16 "$out/$name.ico"
}
draw prnlocal16
draw prnnet16 "${net[@]}"
draw prnlocaldef16 "${tick[@]}"
draw prnnetdef16 "${net[@]}" "${tick[@]}"
