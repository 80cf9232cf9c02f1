#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds every test with AddressSanitizer and UndefinedBehaviorSanitizer,
# runs them all, then runs the thread-sanitized tests and a short fuzzing smoke run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp

log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Benchmarks are built too, so they keep compiling; they run only by hand (bench/).
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPIXELARY_SANITIZE=ON \
  -DPIXELARY_BENCH=ON
cmake --build build/asan -j "$jobs"
ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 300 | tee -a "$log"

if [ -x scripts/tsan.sh ]; then scripts/tsan.sh | tee -a "$log"; fi
# The Debian package of the sanitizer build: installed with apt, run, removed (root only).
scripts/package-test.sh build/asan
# Short crash runs: SIGKILL at random moments during scans and index and settings writes.
scripts/crash-test.sh --short
# Short stop-anywhere run: closing or changing folders mid-scan ends within 5 s.
scripts/stop-test.sh --short
if [ -x scripts/fuzz-smoke.sh ]; then scripts/fuzz-smoke.sh; fi

# One closing line for both ctest runs (each stops this script on a failure above).
passed=0
failed=0
while read -r total bad; do
  passed=$((passed + total - bad))
  failed=$((failed + bad))
done < <(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2 \1/p' "$log")
echo "tests: $passed passed, $failed failed"
