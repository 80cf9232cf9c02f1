#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Crash test of the thumbnail cache and the settings: N trials of SIGKILL at a random moment
# while `pixthumb --folder` (two trials in three) or the program itself (every third trial, on
# the offscreen platform with a private home) scans a folder and writes the index and the settings. The
# program is sometimes asked to close first (SIGTERM) and killed during its shutdown, where it
# writes both. After each trial:
#   - the index on disk is complete (the old one or the new one, never a part) and the
#     settings file holds all its values;
#   - the next start (pixthumb on the same cache) loads it without an error, and afterwards
#     every indexed thumbnail exists and no unindexed thumbnail survives the sweep.
# Usage: scripts/crash-test.sh [--short] [TRIALS]   (--short: 20 trials; default 1000)
# BUILD names the build folder (default build/asan).
set -euo pipefail
cd "$(dirname "$0")/.."
trials=1000
if [[ "${1:-}" == "--short" ]]; then
  trials=20
  shift
fi
trials=${1:-$trials}
build=${BUILD:-build/asan}
pixthumb=$build/bin/pixthumb
program=$build/bin/pixelary
python=$(command -v /usr/bin/python3 || command -v python3)
check="$python scripts/check-cache.py"
for tool in "$pixthumb" "$program"; do
  [[ -x "$tool" ]] || { echo "crash-test: $tool not built" >&2; exit 2; }
done
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp

work=$(mktemp -d)
keep=0
trap '[[ $keep == 1 ]] || rm -rf "$work"' EXIT
mkdir -p "$work/pictures" "$work/empty" "$work/thumbs" "$work/home" "$work/config" "$work/data"

# Forty 24-bit pictures of assorted sizes, a few broken ones and a text file.
"$python" - "$work/pictures" <<'EOF'
import random, struct, sys
random.seed(7)
folder = sys.argv[1]
def bmp(path, w, h):
    stride = (w * 3 + 3) & ~3
    pixels = bytes(random.getrandbits(8) for _ in range(64)) * (stride * h // 64 + 1)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 54 + stride * h, 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, stride * h, 0, 0, 0, 0))
        f.write(pixels[:stride * h])
for i in range(40):
    bmp(f"{folder}/p{i:02d}.bmp", random.randint(50, 900), random.randint(50, 700))
open(f"{folder}/broken.bmp", "wb").write(b"BM" + bytes(60))
open(f"{folder}/notes.txt", "w").write("not a picture\n")
EOF

program_cache=$work/data/Pixelary/Temp/PixCache
settings=$work/config/Norvanti/Pixelary.conf

# How long a whole pixthumb scan of the folder takes, so its kills fall inside it.
start=$(date +%s%N)
"$pixthumb" --folder "$work/pictures" --cache "$work/empty" >/dev/null 2>&1
scan_ms=$((($(date +%s%N) - start) / 1000000 + 20))
rm -f "$work/empty"/*

# Milliseconds to seconds for sleep.
pause() { sleep "$(printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)))"; }

failed=0
killed_running=0
finished_first=0
term_first=0

fail_trial() {
  echo "crash-test: trial $1: $2"
  failed=$((failed + 1))
  keep=1
}

# Loads, sweeps and saves the cache as the next start does; any error is a failure.
next_start() {
  local cache=$1 out
  if ! out=$("$pixthumb" --folder "$work/empty" --cache "$cache" 2>&1 >/dev/null); then
    echo "next start failed: $out"
    return 1
  fi
  if grep -q '^pixthumb:' <<<"$out"; then
    echo "next start: $(grep '^pixthumb:' <<<"$out")"
    return 1
  fi
  $check index "$cache" --swept
}

for ((trial = 1; trial <= trials; trial++)); do
  if ((trial % 3 != 0)); then
    delay=$((RANDOM % scan_ms))
    cache=$work/thumbs
    args=(--folder "$work/pictures" --cache "$cache" --limit 400)
    ((RANDOM % 3 == 0)) && args+=(--reload)
    "$pixthumb" "${args[@]}" >/dev/null 2>&1 &
    pid=$!
    pause "$delay"
  else
    delay=$((RANDOM % 1500))
    cache=$program_cache
    HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
      "$program" "$work/pictures" >/dev/null 2>&1 &
    pid=$!
    pause "$delay"
    if ((RANDOM % 2 == 0)) && kill -TERM "$pid" 2>/dev/null; then
      term_first=$((term_first + 1))
      pause $((RANDOM % 400))
    fi
  fi
  if kill -KILL "$pid" 2>/dev/null; then
    killed_running=$((killed_running + 1))
  else
    finished_first=$((finished_first + 1))
  fi
  wait "$pid" 2>/dev/null || true

  if ! message=$($check index "$cache"); then
    fail_trial "$trial" "index after the kill: $message"
  fi
  if ! message=$($check settings "$settings"); then
    fail_trial "$trial" "settings after the kill: $message"
  fi
  if ! message=$(next_start "$cache"); then
    fail_trial "$trial" "$message"
  fi
  if ((failed > 0)); then break; fi
  if ((trial % 100 == 0)); then echo "crash-test: $trial trials, no failure"; fi
done

ran=$((trial > trials ? trials : trial))
echo "crash-test: $ran trials ($killed_running killed while running, $finished_first done" \
  "before the kill, $term_first asked to close first), $failed failed"
if ((failed > 0)); then
  echo "crash-test: the trial's folders are kept in $work"
  exit 1
fi
