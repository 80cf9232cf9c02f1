#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Remakes pcd-packs.tar.xz, the seeds of the Photo CD fuzz target (see README.txt).
# Tools: ImageMagick 6 (convert), coreutils, xz.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 768x512 gradient:'#ff0000-#0000ff' -fill black -draw 'rectangle 0,0 99,99' \
  "$work/source.png"
convert "$work/source.png" pcd:"$work/landscape.pcd"
# The same pack turned a quarter turn by its orientation byte (0xE02).
cp "$work/landscape.pcd" "$work/quarter-turn.pcd"
printf '\001' | dd of="$work/quarter-turn.pcd" bs=1 seek=$((0xE02)) conv=notrunc status=none
# The information sectors alone: a pack cut off before its images.
head -c 8192 "$work/landscape.pcd" > "$work/header-only.pcd"
tar -C "$work" --owner=0 --group=0 --mtime=@0 --sort=name -cJf pcd-packs.tar.xz \
  landscape.pcd quarter-turn.pcd header-only.pcd
