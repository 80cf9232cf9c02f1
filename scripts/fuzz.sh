#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The fuzzing campaign: builds every libFuzzer target (clang, ASan + UBSan), runs each for the
# given time on its seeds plus the corpus kept in fuzz/corpus/<target>, keeps in that folder the
# inputs that reach coverage the seeds do not (minimised, files of at most 64 KiB), copies any
# crash, leak, timeout or out-of-memory input to fuzz/findings/<target>/, and writes the figures
# to fuzz/RESULTS.md (keeping its hand-written "## Notes" section). Exit status 1 when any
# target found something.
# Usage: scripts/fuzz.sh [seconds per target, default 1200] [target name filter (regex)]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-1200}
filter=${2:-.}
root=$PWD
scripts/fuzz-build.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
shopt -s nullglob

readonly max_kept_bytes=65536
rows=()
total_runs=0
total_findings=0

# Copies the seeds listed in $1 (files and folders, one a line) into folder $2.
copy_seeds() {
  local list=$1 into=$2 seed
  [[ -f "$list" ]] || return 0
  while IFS= read -r seed; do
    [[ -z "$seed" ]] && continue
    if [[ -d "$seed" ]]; then
      find "$seed" -maxdepth 1 -type f ! -name '*.txt' ! -name '*.py' ! -name '*.sh' \
        ! -name '*.md' -exec cp {} "$into/" \;
    elif [[ -f "$seed" ]]; then
      cp "$seed" "$into/"
    fi
  done <"$list"
}

# Keeps in fuzz/corpus/$name the inputs of the run's corpus that add coverage beyond the seeds.
keep_corpus() {
  local target=$1 name=$2 seeds=$3 corpus=$4
  local base="$work/$name.base" kept="$root/fuzz/corpus/$name" small="$work/$name.small"
  mkdir -p "$base" "$small"
  find "$corpus" -maxdepth 1 -type f -size -$((max_kept_bytes + 1))c -exec cp {} "$small/" \;
  # Merging replays every input: slow ones get more time, and nothing it leaves behind may land
  # in the repository.
  local merge=(-merge=1 -timeout=60 -artifact_prefix="$work/$name.merge-")
  (cd "$work" && "$target" "${merge[@]}" "$base" "$seeds" >/dev/null 2>&1) || true
  local before
  before=$(ls "$base")
  (cd "$work" && "$target" "${merge[@]}" "$base" "$small" >/dev/null 2>&1) || true
  rm -rf "$kept"
  mkdir -p "$kept"
  local file
  for file in $(ls "$base"); do
    grep -qxF "$file" <<<"$before" || cp "$base/$file" "$kept/"
  done
  ls "$kept" | wc -l
}

for target in build/fuzz/bin/fuzz_*; do
  [[ -x "$target" && ! "$target" == *.seeds ]] || continue
  name=$(basename "$target")
  name=${name#fuzz_}
  [[ "$name" =~ $filter ]] || continue
  seeds="$work/$name.seeds"
  corpus="$work/$name.corpus"
  artifacts="$work/$name.artifacts"
  mkdir -p "$seeds" "$corpus" "$artifacts"
  copy_seeds "$target.seeds" "$seeds"
  [[ -d fuzz/corpus/$name ]] && cp fuzz/corpus/"$name"/* "$corpus/" 2>/dev/null || true
  cp "$seeds"/* "$corpus/" 2>/dev/null || true
  echo "fuzz: $name for ${seconds}s on $(ls "$corpus" | wc -l) inputs"
  log="$work/$name.log"
  status=clean
  (cd "$work" && "$root/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1) || status=failed
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [[ -z "$runs" ]]; then
    runs=$(grep -o '^#[0-9]*' "$log" | tail -n 1 | tr -d '#')
  fi
  runs=${runs:-0}
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  findings=$(ls "$artifacts" | wc -l)
  if [[ $findings -gt 0 || $status == failed ]]; then
    mkdir -p "fuzz/findings/$name"
    cp "$artifacts"/* "fuzz/findings/$name/" 2>/dev/null || true
    cp "$log" "fuzz/findings/$name/fuzz.log"
    findings=$((findings > 0 ? findings : 1))
    echo "fuzz: $name FOUND $findings (see fuzz/findings/$name)"
  fi
  kept=$(keep_corpus "$root/$target" "$name" "$seeds" "$corpus")
  rows+=("| $name | $(date -u +%Y-%m-%d) | $seconds | $runs | ${cov:-?} | ${ft:-?} | $kept | $findings |")
  total_runs=$((total_runs + runs))
  total_findings=$((total_findings + findings))
done

# Rows of targets this run did not reach are kept from the previous results, so a campaign can
# be spread over several runs (a filter each, two at once on two cores); the lock keeps two runs
# that end together from each writing the table without the other's row.
touch fuzz/RESULTS.md
exec 9<fuzz/RESULTS.md
flock 9
merge_rows() {
  local row name
  for row in "${rows[@]}"; do echo "$row"; done
  sed -n '/^| [a-z_]* | 20[0-9-]* |/p' fuzz/RESULTS.md 2>/dev/null | while IFS= read -r row; do
    name=$(cut -d'|' -f2 <<<"$row" | tr -d ' ')
    printf '%s\n' "${rows[@]}" | grep -q "^| $name |" || echo "$row"
  done
}
table=$(merge_rows | sort)
count=$(grep -c '^|' <<<"$table")
all_runs=$(awk -F'|' '{s += $5} END {print s}' <<<"$table")
all_findings=$(awk -F'|' '{s += $9} END {print s}' <<<"$table")
least=$(awk -F'|' 'NR == 1 || $4 < m {m = $4} END {print m + 0}' <<<"$table")

# The hand-written notes at the end of the previous results are kept.
notes=$(sed -n '/^## Notes/,$p' fuzz/RESULTS.md 2>/dev/null || true)
{
  echo "# Fuzzing results"
  echo
  echo "Written by \`scripts/fuzz.sh\` ($(nproc) cores, clang"
  echo "$(clang --version | head -n 1 | sed 's/.*version \([0-9.]*\).*/\1/'), AddressSanitizer and UndefinedBehaviorSanitizer)."
  echo "Each row is the latest run of its target. Coverage is libFuzzer's \`cov\` (edges) and \`ft\`"
  echo "(features) at the end of the run; kept is the number of inputs beyond the seeds kept in"
  echo "\`fuzz/corpus/<target>\`."
  echo
  echo "| target | date | seconds | executions | coverage (edges) | features | kept | findings |"
  echo "|---|---|---:|---:|---:|---:|---:|---:|"
  echo "$table"
  echo
  echo "Totals: $count targets, $all_runs executions, $all_findings findings; the shortest run was ${least} s."
  if [[ -n "$notes" ]]; then
    echo
    echo "$notes"
  fi
} >fuzz/RESULTS.md
echo "fuzz: ${#rows[@]} targets, $total_runs executions, $total_findings findings"
[[ $total_findings -eq 0 ]]
