#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds every libFuzzer target (clang, ASan + UBSan) and runs each for a short while on a copy of
# its seeds. A target is any build/fuzz/bin/fuzz_* executable; its seeds are listed, one file or
# folder a line, in fuzz_*.seeds beside it. Fails on the first crash, leak or timeout.
# Usage: scripts/fuzz-smoke.sh [seconds per target, default 10]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
scripts/fuzz-build.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Font and display caches of system libraries are never freed (see lsan.supp).
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
shopt -s nullglob
targets=(build/fuzz/bin/fuzz_*)
ran=0
for target in "${targets[@]}"; do
  [[ -x "$target" && ! "$target" == *.seeds ]] || continue
  name=$(basename "$target")
  corpus="$work/$name"
  mkdir -p "$corpus"
  if [[ -f "$target.seeds" ]]; then
    while IFS= read -r seed; do
      [[ -z "$seed" ]] && continue
      if [[ -d "$seed" ]]; then
        find "$seed" -maxdepth 1 -type f ! -name '*.txt' ! -name '*.py' ! -name '*.sh' \
          -exec cp {} "$corpus/" \;
      elif [[ -f "$seed" ]]; then
        cp "$seed" "$corpus/"
      fi
    done < "$target.seeds"
  fi
  # The corpus the campaign (scripts/fuzz.sh) kept joins the seeds.
  kept="fuzz/corpus/${name#fuzz_}"
  if [[ -d "$kept" ]]; then find "$kept" -maxdepth 1 -type f -exec cp {} "$corpus/" \; ; fi
  echo "fuzz: $name for ${seconds}s on $(ls "$corpus" | wc -l) seeds"
  (cd "$work" && "$OLDPWD/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=0 "$corpus" 2>"$work/$name.log") || {
    tail -n 60 "$work/$name.log"
    echo "fuzz: $name FAILED"
    exit 1
  }
  ran=$((ran + 1))
done
echo "fuzz: $ran targets ran clean"
