#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan+UBSan) and runs each for a
# number of executions, starting from its committed corpus; prints the
# executions and crashes per target. New interesting inputs go to
# build/fuzz/corpus/<target>, findings to build/fuzz/findings/<target>.
#   bash scripts/fuzz.sh [executions per target] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang++ >/dev/null || { echo "fuzz.sh needs clang++ (Debian package clang)" >&2; exit 2; }
runs="${1:-100000}"
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi
status=0
for target in "${targets[@]}"; do
  work="build/fuzz/corpus/$target" findings="build/fuzz/findings/$target"
  mkdir -p "$work" "$findings"
  log="build/fuzz/$target.log"
  crashes=0
  build/fuzz/fuzz_"$target" -runs="$runs" -artifact_prefix="$findings/" -print_final_stats=1 \
    "$work" "fuzz/corpus/$target" >"$log" 2>&1 || crashes=1
  done=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  [ "$crashes" -eq 0 ] || status=1
  printf '%-14s %12s executions  %d crashes\n' "$target" "$done" "$crashes"
done
exit "$status"
