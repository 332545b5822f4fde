#!/usr/bin/env bash
# The board's build: installs what it needs (cross-compilers, the armhf
# libraries, qemu-arm), cross-builds the program, the emulators and the tests
# with the armhf preset, and runs the tests under qemu-arm.
#   bash scripts/armhf.sh [unit|all] [--package]
#   unit   the unit tier only (what check.sh runs)
#   all    the unit and scenario tiers (the default); Browser.StationPage is
#          left out: it starts the programs from run.sh, and a shell starts an
#          armhf program only where qemu-arm is registered with the kernel
#          (binfmt_misc), which this script does not do to the host
#   --package  also makes the Debian package (build/armhf/brisel_*_armhf.deb)
#          and checks its contents (scripts/check-install.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
tier=all package=0
for argument in "$@"; do
  case $argument in
    unit | all) tier=$argument ;;
    --package) package=1 ;;
    *) echo "usage: bash scripts/armhf.sh [unit|all] [--package]" >&2; exit 2 ;;
  esac
done
# 77: the packages could not be had (an archive mirror out of step, say); nothing was built.
if ! bash scripts/install-deps.sh armhf; then
  echo "armhf.sh: the armhf packages could not be installed" >&2
  exit 77
fi
cmake --preset armhf -DBRISEL_TESTS=ON >/dev/null
labels=unit targets=(--target brisel brisel_unit_tests brisel_fuzz_targets)
[ "$tier" = all ] && labels='unit|scenario' targets=()
cmake --build --preset armhf -j "$(nproc)" "${targets[@]}"
ctest --test-dir build/armhf -L "$labels" -E '^Browser\.StationPage$' -j "$(nproc)" --timeout 600 \
  --output-on-failure 2>&1 | tee build/armhf/ctest.log
grep -q ' 0 tests failed out of' build/armhf/ctest.log
if [ "$package" = 1 ]; then
  (cd build/armhf && cpack -G DEB)
  bash scripts/check-install.sh build/armhf
fi
