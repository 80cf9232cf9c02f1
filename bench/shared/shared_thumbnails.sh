#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# shared_thumbnails.sh PIXTHUMB [FOLDER] [ROUNDS]: wall time of one pixthumb batch
# (--box 94x78 --outdir) over the JPEG pictures of FOLDER (the harness corpus's jpeg12mp), with
# no shared thumbnails, then with a matching thumbnail of each picture in the desktop's "normal"
# and "large" folders of a private $XDG_CACHE_HOME. The shared thumbnails are made here with
# ImageMagick (-thumbnail, with Thumb::URI and Thumb::MTime set as a desktop sets them) and their
# text chunks checked with python3. Prints the median of ROUNDS (5) runs of each.
set -eu
pixthumb=$1
folder=${2:-/tmp/pixbench-corpus/jpeg12mp}
rounds=${3:-5}
convert=$(command -v convert-im6.q16 || command -v convert)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/empty" "$work/xdg/thumbnails/normal" "$work/xdg/thumbnails/large" "$work/out"

# The picture's URI and the name of its thumbnail, as the desktop computes them.
uri_and_name() {
  python3 -c '
import hashlib, os, sys, urllib.parse
uri = "file://" + urllib.parse.quote(os.path.abspath(sys.argv[1]), safe="/!$&'"'"'()*+,:=@")
print(uri, hashlib.md5(uri.encode()).hexdigest() + ".png")' "$1"
}

for picture in "$folder"/*.jpg; do
  set -- $(uri_and_name "$picture")
  mtime=$(stat -c %Y "$picture")
  escaped=$(printf '%s' "$1" | sed 's/%/%%/g')  # ImageMagick expands % in -set values
  for size in normal:128 large:256; do
    "$convert" "$picture" -thumbnail "${size#*:}x${size#*:}" -set Thumb::URI "$escaped" \
      -set Thumb::MTime "$mtime" "$work/xdg/thumbnails/${size%%:*}/$2"
  done
  python3 - "$work/xdg/thumbnails/normal/$2" "$1" "$mtime" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
texts, at = {}, 8
while at < len(data):
    length, kind = struct.unpack(">I4s", data[at:at + 8])
    if kind == b"tEXt":
        key, _, value = data[at + 8:at + 8 + length].partition(b"\0")
        texts[key.decode()] = value.decode()
    at += 12 + length
if texts.get("Thumb::URI") != sys.argv[2] or texts.get("Thumb::MTime") != sys.argv[3]:
    sys.exit("shared_thumbnails.sh: wrong text chunks in " + sys.argv[1])
PY
done

# Median wall time in milliseconds of ROUNDS batches with the given cache home.
median_ms() {
  for round in $(seq "$rounds"); do
    rm -f "$work/out"/*
    start=$(date +%s%N)
    XDG_CACHE_HOME=$1 "$pixthumb" --box 94x78 --outdir "$work/out" "$folder"/*.jpg
    echo $((($(date +%s%N) - start) / 1000000))
  done | sort -n | sed -n "$(((rounds + 1) / 2))p"
}

count=$(ls "$folder"/*.jpg | wc -l)
without=$(median_ms "$work/empty")
with=$(median_ms "$work/xdg")
echo "pictures: $count in $folder; median of $rounds batches"
echo "without shared thumbnails: $without ms"
echo "with shared thumbnails:    $with ms"
