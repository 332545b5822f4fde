#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan+UBSan) and runs each for a
# number of executions, starting from its committed corpus; prints per target
# the executions, the wall time, the executions per second, the peak memory
# and the crashes. New interesting inputs go to build/fuzz/corpus/<target>,
# findings to build/fuzz/findings/<target>. A target that has not done its
# executions after FUZZ_MAX_SECONDS (default 4 hours) is stopped there and
# marked "time limit".
#   bash scripts/fuzz.sh [executions per target] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang++ >/dev/null || { echo "fuzz.sh needs clang++ (Debian package clang)" >&2; exit 2; }
runs="${1:-100000}"
shift || true
limit="${FUZZ_MAX_SECONDS:-14400}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

# The value of one of libFuzzer's final statistics in a log, 0 when missing.
stat() { grep -o "stat::$1: *[0-9]*" "$2" | grep -o '[0-9]*$' || echo 0; }

status=0
printf '%-18s %12s %9s %9s %8s  %s\n' target executions seconds exec/s 'rss MB' result
for target in "${targets[@]}"; do
  work="build/fuzz/corpus/$target" findings="build/fuzz/findings/$target"
  mkdir -p "$work" "$findings"
  log="build/fuzz/$target.log"
  crashed=0
  start=$(date +%s)
  build/fuzz/fuzz_"$target" -runs="$runs" -max_total_time="$limit" -artifact_prefix="$findings/" \
    -print_final_stats=1 "$work" "fuzz/corpus/$target" >"$log" 2>&1 || crashed=1
  seconds=$(($(date +%s) - start))
  done=$(stat number_of_executed_units "$log")
  result="no crash"
  if grep -q 'libFuzzer: run interrupted' "$log"; then
    status=1
    result="interrupted by a signal"
  elif [ "$crashed" -ne 0 ]; then
    status=1
    result="CRASH, see $log and $findings/"
  elif [ "$done" -lt "$runs" ]; then
    result="time limit"
  fi
  printf '%-18s %12s %9s %9s %8s  %s\n' "$target" "$done" "$seconds" "$((done / (seconds > 0 ? seconds : 1)))" \
    "$(stat peak_rss_mb "$log")" "$result"
done
exit "$status"
