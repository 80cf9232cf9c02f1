#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts Pixelary under a virtual X server on a folder of sample pictures and saves a screenshot
# of the screen as docs/screenshot.png (or the file given as the first argument). With "print"
# as the second argument it selects every picture, opens the print dialog on a private CUPS
# queue (scripts/private-cups.sh) and shows that instead (docs/print.png). The third argument
# is the interface language, zh_TW (the default) or en.
# Uses a private home, so the real settings and thumbnail cache are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
view=${2:-main}
lang=${3:-zh_TW}
out=${1:-docs/screenshot.png}
program=${PIXELARY:-build/release/bin/pixelary}
if [ ! -x "$program" ]; then
  scripts/deps.sh
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPIXELARY_TESTS=OFF \
    -DPIXELARY_BENCH=OFF >/dev/null
  cmake --build build/release --target pixelary
fi

work=$(mktemp -d)
server=""
app=""
cleanup() {
  # The program writes its settings and cache as it ends: wait for it before removing them.
  [ -n "$app" ] && { kill "$app" 2>/dev/null; wait "$app" 2>/dev/null; } || true
  [ -f "$work/cups/cupsd.pid" ] && scripts/private-cups.sh stop "$work/cups"
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Sample pictures: ImageMagick's built-in patterns and gradients, a few sizes and formats.
samples="$work/Pictures"
mkdir -p "$samples/Holiday" "$samples/Scans"
convert -size 320x240 gradient:'#2060C0-#F0E0A0' "$samples/sky.bmp"
convert -size 240x320 plasma:'#208040-#F0F080' -seed 3 "$samples/meadow.bmp"
convert -size 300x200 pattern:checkerboard -fill '#C04040' -draw 'circle 150,100 150,30' \
  "$samples/target.bmp"
convert -size 256x256 radial-gradient:'#FFF0A0-#C03000' "$samples/sun.bmp"
convert -size 400x100 gradient:'#000000-#FFFFFF' -colors 16 -type Palette "$samples/ramp.bmp"
convert -size 200x200 plasma:'#4040F0-#F040F0' -seed 9 "$samples/nebula.bmp"
convert -size 150x220 xc:'#F4E8D0' -fill '#806040' -draw 'rectangle 20,20 130,200' \
  "$samples/door.bmp"
convert -size 320x200 plasma:'#F08020-#2040A0' -seed 5 -quality 90 "$samples/sunset.jpg"
convert -size 180x240 radial-gradient:'#80F0FF-#004060' "$samples/lagoon.png"
convert -size 240x180 pattern:hexagons -fill '#30A030' -colorize 40 "$samples/tiles.gif"
echo "notes" > "$samples/readme.txt"

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/runtime"
if [ "$lang" = en ]; then export LANG=en_US.UTF-8; else export LANG=zh_TW.UTF-8; fi
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

if [ "$view" = print ]; then
  CUPS_SERVER=$(scripts/private-cups.sh start "$work/cups")
  export CUPS_SERVER
fi

display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb "$program" --lang "$lang" "$samples" >/dev/null 2>&1 &
app=$!
sleep "${SCREENSHOT_DELAY:-4}"
if [ "$view" = print ]; then
  # A click into the view, 編輯 → 選擇所有圖檔, then 檔案 → 列印(P)..., as a user would.
  DISPLAY=$display xdotool mousemove 600 500 click 1
  sleep 1
  DISPLAY=$display xdotool key alt+e
  sleep 1
  DISPLAY=$display xdotool key Down Return
  sleep 1
  DISPLAY=$display xdotool key alt+f
  sleep 1
  DISPLAY=$display xdotool key p
  sleep "${SCREENSHOT_DELAY:-4}"
fi
mkdir -p "$(dirname "$out")"
DISPLAY=$display import -window root "$out"
echo "saved $out"
