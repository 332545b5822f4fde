#!/usr/bin/env bash
# Checks the formatting, then builds and runs every test: a plain build and a
# two-minute soak of its programs, then the same tests under AddressSanitizer
# with UndefinedBehaviorSanitizer, then ThreadSanitizer, then the unit tier of
# the board's armhf build under qemu-arm. Warnings are errors.
# Every build runs even when an earlier one failed, so that the summary at the
# end shows all three; the exit status is 1 when anything failed.
set -uo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh test || exit 1
failed=0
summary=()
echo "== format"
if ! git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror; then
  summary+=("format: sources not formatted as .clang-format says (clang-format -i FILE)")
  failed=1
fi
jobs=$(nproc)
# The soak of the release build's programs, with a summary line of its own.
soak() {
  echo "== soak (2 minutes; figures in build/release/soak)"
  bash scripts/soak.sh 2 --out build/release/soak 2>&1 | tee build/release/soak.log
  local status=${PIPESTATUS[0]} verdict
  verdict=$(grep -E '^soak: (passed|failed)' build/release/soak.log | tail -n 1)
  summary+=("${verdict:-soak: failed before the soak began (build/release/soak.log)}")
  [ "$status" -eq 0 ] || failed=1
}
for preset in release asan tsan; do
  echo "== $preset"
  # The tests are the point here: a configure that cannot find GoogleTest fails.
  extra=(-DBRISEL_TESTS=ON)
  [ "$preset" = release ] && extra+=(-DBRISEL_WERROR=ON)
  if ! cmake --preset "$preset" "${extra[@]}" >/dev/null || ! cmake --build --preset "$preset" -j "$jobs"; then
    summary+=("$preset: build failed")
    [ "$preset" = release ] && summary+=("soak: not run, the release build failed")
    failed=1
    continue
  fi
  ctest --preset "$preset" -j "$jobs" 2>&1 | tee "build/$preset/ctest.log"
  counts=$(sed -nE 's/.* ([0-9]+) tests failed out of ([0-9]+)$/\2 \1/p' "build/$preset/ctest.log")
  if [ -z "$counts" ]; then
    summary+=("$preset: ctest ended without a result")
    failed=1
  else
    total=${counts% *} failures=${counts#* }
    summary+=("$preset: $((total - failures)) passed, $failures failed")
    [ "$failures" -eq 0 ] || failed=1
  fi
  [ "$preset" = release ] && soak
done
# The board's build: the unit tier of the armhf cross-build under qemu-arm,
# and its Debian package.
echo "== armhf (unit tier under qemu-arm)"
bash scripts/armhf.sh unit --package
armhf_status=$?
if [ "$armhf_status" -eq 0 ]; then
  summary+=("armhf: $(sed -nE 's/.* 0 tests failed out of ([0-9]+)$/\1 passed, 0 failed (unit tier under qemu-arm)/p' build/armhf/ctest.log)")
elif [ "$armhf_status" -eq 77 ]; then
  # The archive, not the code: said in the summary, not counted as a failure.
  summary+=("armhf: NOT RUN, its packages could not be installed from the archive (see the armhf step above)")
else
  summary+=("armhf: build or unit tier failed (build/armhf/ctest.log)")
  failed=1
fi
# The benchmarks must still run: bench.sh, quickly; its table is shown.
if [ -x build/release/brisel_bench ]; then
  if bash bench.sh --quick; then
    summary+=("benchmarks: ran (table in build/release/bench-table.md)")
  else
    summary+=("benchmarks: failed (build/release/bench.log, build/release/station-idle.log)")
    failed=1
  fi
fi
echo "== summary"
printf '%s\n' "${summary[@]}"
exit "$failed"
