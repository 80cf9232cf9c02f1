#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Pixelary in release mode and starts it. A folder given as the
# first argument is opened after the desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPIXELARY_TESTS=OFF -DPIXELARY_BENCH=OFF
cmake --build build/release
exec build/release/bin/pixelary "$@"
