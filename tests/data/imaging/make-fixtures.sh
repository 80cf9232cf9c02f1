#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates the third-party fixtures of the image component's tests (see README.txt).
# Tools: ImageMagick 6 (convert), netpbm, libtiff-tools (tiffcp), Python 3 for byte-built files.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p bmp png gif jpg tga pcx tif eps
src=$(mktemp --suffix=.png)
trap 'rm -f "$src"' EXIT
# A 40 x 30 picture: colour gradient with a black square at the top left.
convert -size 40x30 gradient:'#ff0000-#0000ff' -fill black -draw 'rectangle 0,0 9,9' "$src"

convert "$src" -colors 16 -compress RLE BMP3:bmp/rle8.bmp
convert "$src" -define bmp:subtype=RGB565 BMP:bmp/bitfields-565.bmp
convert "$src" BMP:bmp/v5-24.bmp
convert "$src" -type Palette -colors 16 BMP3:bmp/pal4.bmp
convert "$src" -define bmp:subtype=RGB555 BMP3:bmp/bitfields-555-no-masks.bmp
python3 make_bmp.py "$src"

convert "$src" -colors 12 PNG8:png/palette.png
convert "$src" -colorspace Gray -depth 16 png/grey16.png
convert "$src" -alpha set -channel A -fx 'i/w' +channel PNG32:png/rgba.png
convert "$src" -interlace PNG png/interlaced.png
convert "$src" -colorspace Gray -alpha set -channel A -fx 'j/h' +channel png/grey-alpha.png
convert "$src" -depth 16 PNG48:png/rgb16.png

convert "$src" -colors 32 gif/plain.gif
convert -delay 10 "$src" \( "$src" -negate \) gif/animated.gif
convert "$src" -transparent black gif/transparent.gif
convert "$src" -interlace GIF gif/interlaced.gif

convert "$src" -quality 90 jpg/colour.jpg
convert "$src" -colorspace Gray jpg/grey.jpg
convert "$src" -colorspace CMYK jpg/cmyk.jpg
convert "$src" -interlace JPEG jpg/progressive.jpg

# ImageMagick 6.9 stores Targa rows top first under a bottom-first origin: use netpbm.
pngtopnm "$src" | ppmtotga -rgb > tga/rle.tga
pngtopnm "$src" | ppmtotga -rgb -norle > tga/raw.tga
pngtopnm "$src" | ppmtopgm | ppmtotga -mono > tga/grey-rle.tga
pngtopnm "$src" | pnmquant 16 | ppmtotga -cmap > tga/colourmapped.tga

convert "$src" pcx/true.pcx
convert "$src" -colors 16 -type Palette pcx/pal8.pcx
pngtopnm "$src" | ppmtopgm | pgmtopbm -threshold -value 0.2 | ppmtopcx > pcx/mono.pcx
pngtopnm "$src" | pnmquant 16 | ppmtopcx > pcx/planar16.pcx

convert "$src" -depth 8 -compress LZW tif/lzw.tif
convert "$src" -colorspace Gray -depth 8 -compress LZW tif/grey.tif
convert "$src" -compress JPEG tif/jpeg.tif
convert "$src" -monochrome -compress Group4 tif/g4.tif
convert "$src" -depth 8 -compress Zip -define tiff:tile-geometry=16x16 tif/tiled-zip.tif
convert "$src" -colors 16 -type Palette -compress RLE tif/palette-packbits.tif
convert "$src" \( "$src" -resize 20x15 \) -depth 8 -compress LZW tif/two-pages.tif
convert "$src" -colorspace CMYK -depth 8 tif/cmyk.tif
convert "$src" -depth 16 tif/rgb16.tif
convert "$src" -colorspace Lab -depth 8 -compress LZW tif/lab.tif
convert "$src" -depth 8 -compress None tiff-rgb.tif
tiffcp -c jpeg:90 tiff-rgb.tif tif/ycbcr-jpeg.tif
convert "$src" -sampling-factor 2x2 -quality 90 old-jpeg-stream.jpg
python3 make_ojpeg.py old-jpeg-stream.jpg tif/old-jpeg.tif
rm -f tiff-rgb.tif old-jpeg-stream.jpg

convert "$src" EPS2:eps/plain.eps
convert "$src" -compress None tiff-preview.tif
python3 make_binary_eps.py eps/plain.eps tiff-preview.tif eps/tiff-preview.eps
rm -f tiff-preview.tif

python3 make_dxf.py
tool=$(mktemp)
g++ make_dxflib.cpp -I/usr/include/dxflib -ldxflib -o "$tool" && "$tool"
rm -f "$tool"
