#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the tests marked TSAN (threads: scanner, cache, image component) with ThreadSanitizer
# and runs them. Called by scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPIXELARY_TSAN=ON \
  -DPIXELARY_GUI=OFF -DPIXELARY_BENCH=OFF >/dev/null
cmake --build build/tsan --target tsan_tests -j "$(nproc)"
if ctest --test-dir build/tsan -N -L tsan | grep -q 'Total Tests: 0'; then
  echo "tsan: no thread tests yet"
  exit 0
fi
# Only the executables built above exist in this tree; run just their tests.
ctest --test-dir build/tsan -L tsan --output-on-failure -j "$(nproc)" --timeout 300
