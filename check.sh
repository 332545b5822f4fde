#!/usr/bin/env bash
# Checks the formatting, then builds and runs every test: a plain build, then
# the same tests under AddressSanitizer with UndefinedBehaviorSanitizer, then
# ThreadSanitizer. Warnings are errors.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
echo "== format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
jobs=$(nproc)
summary=()
for preset in release asan tsan; do
  echo "== $preset"
  extra=()
  [ "$preset" = release ] && extra=(-DBRISEL_WERROR=ON)
  cmake --preset "$preset" "${extra[@]}" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs" | tee "build/$preset/ctest.log"
  counts=$(sed -nE 's/.* ([0-9]+) tests failed out of ([0-9]+)$/\2 \1/p' "build/$preset/ctest.log")
  summary+=("$preset: $((${counts% *} - ${counts#* })) passed, ${counts#* } failed")
done
# The benchmarks must still run; their report is kept, not shown.
echo "== benchmarks (report in build/release/bench.log)"
build/release/brisel_bench --benchmark_min_time=0.01 >build/release/bench.log 2>&1 || {
  cat build/release/bench.log
  exit 1
}
printf '%s\n' "${summary[@]}"
