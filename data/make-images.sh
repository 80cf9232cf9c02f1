#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws Pixelary's own images with ImageMagick (convert): the program icon, the tool-bar images,
# the about glyph, the cool-bar background and the two 50 x 50 background tiles.
# Run from anywhere; the PNG files are written beside this script and committed.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p icons tiles

# Tile 100: light orange paper texture for the thumbnail grid; tile 101: green for the info
# panel. Seeded noise, blurred with wrap-around so the 50 x 50 tiles join without seams.
texture() {
  local out=$1 base=$2 seed=$3
  convert -size 50x50 xc:"$base" -seed "$seed" -attenuate 0.35 +noise Uniform \
    -virtual-pixel tile -blur 0x0.8 -modulate 100,90 -strip "$out"
}
texture tiles/tile100.png '#FFE2B8' 100
texture tiles/tile101.png '#B8DCA8' 101

# Cool-bar background: a soft vertical steel gradient with the same noise.
convert -size 64x64 gradient:'#F2F2F6-#D4D8E2' -seed 7 -attenuate 0.15 +noise Uniform \
  -virtual-pixel tile -blur 0x0.6 -strip icons/coolbar.png

# Tool-bar images, 20 x 20, drawn on a transparent canvas at 4x and scaled down for smoothness.
draw20() {
  local out=$1; shift
  convert -size 80x80 xc:none -stroke '#203050' -strokewidth 4 "$@" \
    -resize 20x20 -strip "icons/$out"
}
draw20 back.png -fill '#3C8CE0' -draw 'polygon 8,40 40,10 40,26 72,26 72,54 40,54 40,70'
draw20 fore.png -fill '#3C8CE0' -draw 'polygon 72,40 40,10 40,26 8,26 8,54 40,54 40,70'
draw20 desktop.png -fill '#7CB8F0' -draw 'rectangle 8,10 72,56' \
  -fill '#2E7D32' -draw 'polygon 12,52 32,30 48,46 58,38 68,52' \
  -fill '#A0A0A8' -draw 'rectangle 30,58 50,66' -draw 'rectangle 18,66 62,72'
draw20 uppath.png -fill '#F0C040' -draw 'polygon 8,28 8,72 72,72 72,32 40,32 34,24 14,24' \
  -fill '#3C8CE0' -draw 'polygon 40,8 60,30 48,30 48,58 32,58 32,30 20,30'
draw20 print.png -fill '#FFFFFF' -draw 'rectangle 22,8 58,34' \
  -fill '#B0B4BC' -draw 'rectangle 8,32 72,60' -fill '#FFFFFF' -draw 'rectangle 22,50 58,74'
draw20 twain.png -fill '#C8CCD4' -draw 'rectangle 6,36 74,66' \
  -fill '#5A6A80' -draw 'polygon 6,36 16,16 74,16 74,36' \
  -fill '#40E070' -stroke none -draw 'rectangle 12,46 68,52'
draw20 copyto.png -fill '#FFFFFF' -draw 'rectangle 8,8 44,52' -draw 'rectangle 34,26 70,72' \
  -stroke none -fill '#3C8CE0' -draw 'rectangle 42,40 62,44' -draw 'rectangle 42,52 62,56'
draw20 moveto.png -fill '#FFFFFF' -draw 'rectangle 8,8 40,50' \
  -fill '#E08A2C' -draw 'polygon 36,44 56,44 56,32 74,54 56,76 56,64 36,64'
draw20 delete.png -stroke '#C62828' -strokewidth 12 -draw 'line 16,16 64,64' \
  -draw 'line 64,16 16,64'

# About glyph (32 x 32) and program icon (64 x 64 and 256 x 256): a framed picture with a sun
# and hills, the program's thumbnail look.
picture() {
  local size=$1 out=$2
  convert -size 256x256 xc:none \
    -fill '#FFE2B8' -stroke '#804000' -strokewidth 10 -draw 'roundrectangle 12,12 244,244 28,28' \
    -fill '#7CB8F0' -stroke '#204060' -strokewidth 8 -draw 'rectangle 44,44 212,196' \
    -fill '#FFD030' -stroke none -draw 'circle 164,88 184,88' \
    -fill '#2E7D32' -draw 'polygon 48,192 104,112 140,160 160,136 208,192' \
    -fill '#FFFFFF' -stroke '#808080' -strokewidth 4 -draw 'rectangle 60,210 196,230' \
    -resize "${size}x${size}" -strip "$out"
}
picture 32 icons/about.png
picture 64 icons/pixelary.png
picture 256 icons/pixelary-256.png
# The program icon in the desktop's usual sizes, installed into the hicolor theme.
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "icons/hicolor/${size}x${size}"
  picture "$size" "icons/hicolor/${size}x${size}/pixelary.png"
done
