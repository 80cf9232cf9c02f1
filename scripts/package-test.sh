#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Packs a build as a Debian package, installs it on this machine with apt, runs the installed
# tools and program, and removes the package again. Needs root (CI runs as root); elsewhere it
# says so and does nothing. Called by scripts/test.sh with the sanitizer build.
#   scripts/package-test.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
if [ "$(id -u)" -ne 0 ]; then
  echo "package test: skipped, installing a package needs root"
  exit 0
fi
if dpkg-query -W -f='${Status}' pixelary 2>/dev/null | grep -q 'install ok installed'; then
  echo "package test: skipped, a pixelary package is already installed here"
  exit 0
fi
deb=$(realpath "$(scripts/package.sh "$build")")
work=$(mktemp -d)
cleanup() {
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq pixelary >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || { echo "package test: no computed dependencies"; exit 1; }
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
jpeg=$(find tests/data/imaging/jpg -name '*.jpg' | sort | head -n 1)
/usr/bin/pixthumb "$jpeg" "$work/thumb.bmp"
[ -s "$work/thumb.bmp" ]
status=0
QT_QPA_PLATFORM=offscreen timeout 6 /usr/bin/pixelary "$work" >"$work/out.log" 2>&1 || status=$?
if [ "$status" -ne 124 ]; then
  cat "$work/out.log"
  echo "package test: the installed program ended with $status"
  exit 1
fi
echo "package test: $(basename "$deb") installed, ran and was removed"
