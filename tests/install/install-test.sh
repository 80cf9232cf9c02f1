#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a build into a temporary prefix and runs the tools and the program from there: the
# file-system layout, the codec modules found in lib/pixelary, the data in share/pixelary.
#   install-test.sh BUILD_DIR TEST_DATA_DIR
set -euo pipefail
build=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "install test: $*" >&2; exit 1; }

for file in bin/pixelary bin/pixthumb bin/pixdesktop \
  lib/pixelary/pixmain.so lib/pixelary/pixtif.so lib/pixelary/pixdxf.so lib/pixelary/pixtwain.so \
  share/pixelary/tiles/tile100.png share/pixelary/tiles/tile101.png \
  share/pixelary/PrintSet/system.df share/pixelary/PrintFrm/Default.bmp \
  share/applications/pixelary.desktop share/metainfo/pixelary.metainfo.xml \
  share/icons/hicolor/16x16/apps/pixelary.png share/icons/hicolor/256x256/apps/pixelary.png; do
  [ -e "$prefix/$file" ] || fail "$file is not installed"
done
# bin holds programs only.
for entry in "$prefix"/bin/*; do
  [ -f "$entry" ] && [ -x "$entry" ] && [ "${entry%.so}" = "$entry" ] || fail "$entry in bin"
done

# A JPEG and a TIFF are read through the codec modules, found in lib/pixelary.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
jpeg=$(find "$data/imaging/jpg" -name '*.jpg' | sort | head -n 1)
"$prefix/bin/pixthumb" "$jpeg" "$work/jpeg.bmp" || fail "pixthumb could not read $jpeg"
"$prefix/bin/pixthumb" "$data/readers/tif/lzw.tif" "$work/tif.bmp" || fail "pixthumb could not read lzw.tif"
[ -s "$work/jpeg.bmp" ] && [ -s "$work/tif.bmp" ] || fail "pixthumb wrote no thumbnail"

# The program starts offscreen on a folder, finds its tiles, and keeps running until stopped.
mkdir -p "$work/pictures"
cp "$jpeg" "$work/pictures/"
status=0
QT_QPA_PLATFORM=offscreen timeout 6 "$prefix/bin/pixelary" "$work/pictures" \
  >"$work/out.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || { cat "$work/out.log" >&2; fail "the program ended with $status"; }
if grep -q "not found" "$work/out.log"; then cat "$work/out.log" >&2; fail "data not found"; fi
echo "install test: the installed program, tools, modules and data work from $prefix"
