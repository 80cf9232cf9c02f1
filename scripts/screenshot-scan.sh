#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts Pixelary under a virtual X server with SANE pointed at its "test" backend, opens
# 檔案 → 輸入TWAIN 影像(A)..., presses "Input", scans one page, and saves a screenshot of the scan
# dialog beside the source's window as docs/scan.png (or the file given as the first argument).
# A second file name also gets the folder view after the dialog is closed. Uses a private home,
# so the real settings are never touched. Needs xdotool.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/scan.png}
program=${PIXELARY:-build/release/bin/pixelary}
if [ ! -x "$program" ]; then
  scripts/deps.sh
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPIXELARY_TESTS=OFF \
    -DPIXELARY_BENCH=OFF >/dev/null
  cmake --build build/release --target pixelary
fi
command -v xdotool >/dev/null || { echo "xdotool is needed" >&2; exit 1; }

work=$(mktemp -d)
server=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

scans="$work/Scans"
mkdir -p "$scans"
convert -size 240x180 gradient:'#2060C0-#F0E0A0' "$scans/File00000.bmp"

# SANE reads only this folder: the "test" backend with its colour test pattern.
export SANE_CONFIG_DIR="$work/sane"
mkdir -p "$SANE_CONFIG_DIR"
echo test > "$SANE_CONFIG_DIR/dll.conf"
printf 'number_of_devices 1\ntest-picture "Color pattern"\nresolution 75.0\n' \
  > "$SANE_CONFIG_DIR/test.conf"

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/runtime" LANG=zh_TW.UTF-8
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# The scanned files start at number 1, in PNG.
mkdir -p "$XDG_CONFIG_HOME/Norvanti"
printf '[General]\nTWAIN%%20file%%20format=png\nTWAIN%%20file%%20start%%20num=1\n' \
  > "$XDG_CONFIG_HOME/Norvanti/Pixelary.conf"

display=":$((80 + RANDOM % 9))"
Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
sleep 1
export DISPLAY=$display
QT_QPA_PLATFORM=xcb "$program" "$scans" >/dev/null 2>&1 &
app=$!
sleep "${SCREENSHOT_DELAY:-4}"

wait_window() {  # name
  for _ in $(seq 1 40); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.5
  done
  echo "no window named $1" >&2
  return 1
}

main=$(wait_window Glimmora)
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
# 檔案 → 輸入TWAIN 影像(A)...
xdotool key --window "$main" alt+f
sleep 1
xdotool key a
dialog=$(wait_window "Input Image File")
xdotool windowmove "$dialog" 60 200
sleep 0.5
xdotool windowfocus "$dialog" 2>/dev/null || true
xdotool key --window "$dialog" Return   # "Input", the default button
source=$(wait_window "Noname")
xdotool windowmove "$source" 560 200
sleep 1
# "Scan", in the source window's lower right.
eval "$(xdotool getwindowgeometry --shell "$source")"
xdotool mousemove --window "$source" $((WIDTH - 137)) $((HEIGHT - 22)) click 1
sleep 3
mkdir -p "$(dirname "$out")"
import -window root "$out"
echo "saved $out"
# With a second file name: "Close" in the source's window, "Cancel" in the dialog, and the
# refreshed folder view.
if [ -n "${2:-}" ]; then
  xdotool mousemove --window "$source" $((WIDTH - 50)) $((HEIGHT - 22)) click 1
  sleep 2
  eval "$(xdotool getwindowgeometry --shell "$dialog")"
  xdotool mousemove --window "$dialog" $((WIDTH - 57)) 83 click 1
  sleep 3
  import -window root "$2"
  echo "saved $2"
fi
ls "$scans"
