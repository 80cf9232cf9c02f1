#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the shipped print frames (data/PrintFrm) with ImageMagick and writes the system print
# style (data/PrintSet/system.df). A frame's transparent colour is its bottom-left pixel: every
# frame here is drawn on white, with rounded outer corners so that pixel stays white.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p PrintFrm PrintSet

frame() {  # name, then ImageMagick drawing arguments on a 120 x 120 white canvas
  local name=$1
  shift
  convert -size 120x120 xc:white "$@" -type Palette -colors 64 -compress None "BMP3:PrintFrm/$name.bmp"
}

frame Default -fill none -stroke '#202020' -strokewidth 4 -draw 'roundrectangle 4,4 115,115 10,10'
frame Gold -fill none -stroke '#c8a028' -strokewidth 10 -draw 'roundrectangle 6,6 113,113 14,14' \
  -stroke '#806010' -strokewidth 2 -draw 'roundrectangle 14,14 105,105 8,8'
frame Double -fill none -stroke navy -strokewidth 3 -draw 'roundrectangle 4,4 115,115 12,12' \
  -draw 'roundrectangle 12,12 107,107 8,8'
frame Wood -fill none -stroke '#7a4a1c' -strokewidth 14 -draw 'roundrectangle 8,8 111,111 6,6' \
  -stroke '#a8702c' -strokewidth 4 -draw 'roundrectangle 8,8 111,111 6,6'
frame Dots -fill '#d03030' -stroke none \
  -draw 'circle 10,10 14,10' -draw 'circle 110,10 114,10' -draw 'circle 110,110 114,110' \
  -draw 'circle 60,8 64,8' -draw 'circle 60,112 64,112' -draw 'circle 8,60 12,60' \
  -draw 'circle 112,60 116,60' -draw 'circle 10,110 14,110' \
  -fill none -stroke '#d03030' -strokewidth 2 -draw 'roundrectangle 16,16 103,103 6,6'
frame Leaf -fill none -stroke '#2e8b3a' -strokewidth 8 -draw 'roundrectangle 6,6 113,113 30,30'
frame Dashed -fill none -stroke '#404040' -strokewidth 3 -draw 'stroke-dasharray 8 5 roundrectangle 5,5 114,114 10,10'
frame Sky -fill none -stroke '#3a7bd5' -strokewidth 12 -draw 'roundrectangle 7,7 112,112 20,20' \
  -stroke white -strokewidth 2 -draw 'roundrectangle 7,7 112,112 20,20'
frame Corner -fill '#8b1a1a' -stroke none \
  -draw 'polygon 4,30 4,4 30,4 22,12 12,12 12,22' -draw 'polygon 90,4 115,4 115,30 107,22 107,12 97,12' \
  -draw 'polygon 115,90 115,115 90,115 97,107 107,107 107,97' \
  -draw 'polygon 4,90 12,97 12,107 22,107 30,115 6,115'

# The system style: 5 x 5 cm pictures, automatic tiling centred on the printable area, names,
# title and page numbers, a 0.1 cm frame, A4 portrait. Layout of the 120-byte record: see
# src/print/PrintSettings.h.
python3 - <<'PY'
import struct
record = struct.pack('<2sHddIddIIIIIIIddII4BIdIIB3x',
    b'Qx', 120, 5.0, 5.0, 1, 0.0, 0.0, 4, 1, 0, 1, 1, 0, 0, 0.0, 0.0, 0, 1,
    1, 1, 1, 0, 0, 0.1, 1, 9, 0)
assert len(record) == 120, len(record)
open('PrintSet/system.df', 'wb').write(record)
PY
