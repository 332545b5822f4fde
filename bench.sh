#!/usr/bin/env bash
# Builds the benchmark program and the station's programs in build/release,
# runs every benchmark once (each ratio is taken within that one run) and the
# idle station's measurement, and prints one table: figure, value, anchor,
# anchor value, ratio, goal. The table also goes to build/release/bench-table.md
# (or --out FILE); the benchmark program's report to build/release/bench.json
# and bench.log, the idle station's to build/release/station-idle.log (and,
# where bench/radio_to_wire.py is, the wire latencies' to radio-to-wire.log).
# --quick: short benchmark runs and a short idle window, for the test command.
# The exit status is 1 when the build, the benchmark program or the idle
# station's script failed; a figure one of them did not print reads
# "not measured".
set -uo pipefail

usage() { echo "usage: bash bench.sh [--quick] [--out FILE]"; }
quick=0
out=""
while [ $# -gt 0 ]; do
  case $1 in
    -h|--help) usage; exit 0 ;;
    --quick) quick=1; shift ;;
    --out)
      [ $# -ge 2 ] || { echo "bench.sh: --out needs a file" >&2; exit 2; }
      out=$2; [ "${out#/}" = "$out" ] && out=$PWD/$out; shift 2 ;;
    *) echo "bench.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
done
cd "$(dirname "$0")"
build=build/release
out=${out:-$build/bench-table.md}

if [ "${BRISEL_NO_BUILD:-}" != 1 ]; then
  bash scripts/install-deps.sh test || exit 1
  # An existing build keeps its settings (check.sh's among them); a new one
  # insists on the benchmarks.
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset release -DBRISEL_TESTS=ON >/dev/null || { echo "bench.sh: configure failed" >&2; exit 1; }
  fi
  cmake --build --preset release -j "$(nproc)" --target brisel_bench brisel brisel-amp-emulator \
    brisel-ft817-emulator brisel-remote || { echo "bench.sh: build failed" >&2; exit 1; }
fi
[ -x "$build/brisel_bench" ] || { echo "bench.sh: no $build/brisel_bench (Google Benchmark missing?)" >&2; exit 1; }

failed=0
if [ "$quick" = 1 ]; then
  timing=(--benchmark_min_time=0.01)
  idle=(--seconds 5)
  moves=(--moves 3)
else
  timing=(--benchmark_repetitions=3)
  idle=()
  moves=()
fi
echo "== benchmarks (report in $build/bench.log and $build/bench.json)"
rm -f "$build/bench.json"
if ! "$build/brisel_bench" "${timing[@]}" --benchmark_out="$build/bench.json" --benchmark_out_format=json \
  >"$build/bench.log" 2>&1; then
  tail -n 40 "$build/bench.log"
  echo "bench.sh: the benchmark program failed" >&2
  failed=1
fi
echo "== idle station (report in $build/station-idle.log)"
if ! bash bench/station_idle.sh "${idle[@]}" >"$build/station-idle.log" 2>&1; then
  tail -n 20 "$build/station-idle.log"
  echo "bench.sh: bench/station_idle.sh failed" >&2
  failed=1
fi
logs=("$build/station-idle.log")
if [ -f bench/radio_to_wire.py ]; then
  echo "== radio and remote bank to the amplifier wire (report in $build/radio-to-wire.log)"
  if ! python3 bench/radio_to_wire.py "${moves[@]}" --programs "$build" >"$build/radio-to-wire.log" 2>&1; then
    tail -n 20 "$build/radio-to-wire.log"
    echo "bench.sh: bench/radio_to_wire.py failed" >&2
    failed=1
  fi
  logs+=("$build/radio-to-wire.log")
fi
echo "== table (also in $out)"
python3 bench/bench_table.py "$build/bench.json" "${logs[@]}" --out "$out" || failed=1
exit "$failed"
