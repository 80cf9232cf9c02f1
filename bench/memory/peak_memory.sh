#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# peak_memory.sh PIXTHUMB [LIMIT_MB]: the largest resident set of one pixthumb process making the
# thumbnail of a 10,000 x 10,000 picture in each library format (PNG, interlaced PNG, GIF,
# LZW TIFF, JPEG), made here with libvips. Prints one line per picture; exit status 1 when one
# peaks above LIMIT_MB (64).
set -eu
pixthumb=$1
limit_mb=${2:-64}
command -v vips >/dev/null || { echo "peak_memory.sh: needs vips (libvips-tools)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Black pictures compress to a few hundred kilobytes; decoding them still costs their full size.
vips black "$work/big.v" 10000 10000 --bands 3
vips copy "$work/big.v" "$work/big.png"
vips pngsave "$work/big.v" "$work/adam7.png" --interlace
vips gifsave "$work/big.v" "$work/big.gif"
vips tiffsave "$work/big.v" "$work/big.tif" --compression lzw
vips jpegsave "$work/big.v" "$work/big.jpg"
rm "$work/big.v"
status=0
for picture in big.png adam7.png big.gif big.tif big.jpg; do
  peak_kb=$(python3 -c '
import resource, subprocess, sys
subprocess.run(sys.argv[1:], check=True)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' \
    "$pixthumb" "$work/$picture" "$work/$picture.bmp")
  peak_mb=$((peak_kb / 1024))
  verdict=ok
  if [ "$peak_mb" -gt "$limit_mb" ]; then
    verdict="above $limit_mb MB"
    status=1
  fi
  printf '%-10s %6d MB  %s\n' "$picture" "$peak_mb" "$verdict"
done
exit $status
