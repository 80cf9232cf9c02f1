#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of Pixelary: a release build (build/release, or the build folder
# given) packed by CPack, its dependencies computed by dpkg-shlibdeps. Prints the package's path.
#   scripts/package.sh [BUILD_DIR]
# Install it with: sudo apt-get install ./build/release/pixelary_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
if [ ! -f "$build/CMakeCache.txt" ]; then
  scripts/deps.sh
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPIXELARY_TESTS=OFF \
    -DPIXELARY_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc)" >/dev/null
(cd "$build" && cpack -G DEB >/dev/null)
ls -t "$build"/pixelary_*.deb | head -n 1
