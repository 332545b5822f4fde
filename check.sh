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
for preset in release asan tsan; do
  echo "== $preset"
  extra=()
  [ "$preset" = release ] && extra=(-DBRISEL_WERROR=ON)
  cmake --preset "$preset" "${extra[@]}" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
build/release/brisel_bench --benchmark_min_time=0.01 >/dev/null
