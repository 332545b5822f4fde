#!/usr/bin/env bash
# CPU share and peak memory of the whole station idling on the main screen
# in the simulator: 15 s for the start-up, then 20 s measured, then SIGINT.
# Run from the repository after a release build.
set -euo pipefail
# Job control: otherwise background jobs start with SIGINT ignored.
set -m
cd "$(dirname "$0")/.."
root=$(mktemp -d /tmp/brisel-idle-XXXXXX)
programs=build/release
source scripts/emulator.sh
trap 'set +e; kill ${emulator:-} 2>/dev/null; wait ${emulator:-} 2>/dev/null; rm -rf "$root"' EXIT
start_emulator "$root"

/usr/bin/time -v build/release/brisel --root "$root" 2> "$root/brisel.log" &
timer=$!
sleep 1
station=$(cat "/proc/$timer/task/$timer/children")
station=${station%% *}
trap 'set +e; kill -INT $station 2>/dev/null; kill $emulator 2>/dev/null; wait 2>/dev/null; rm -rf "$root"' EXIT

# utime + stime of the station in clock ticks (fields 14 and 15; the command
# name in field 2 holds no spaces).
cpu_ticks() { awk '{print $14 + $15}' "/proc/$station/stat"; }
sleep 14
before=$(cpu_ticks)
sleep 20
after=$(cpu_ticks)
kill -INT "$station"
wait $timer || true

ticks=$(getconf CLK_TCK)
awk -v t=$((after - before)) -v hz="$ticks" \
  'BEGIN { printf "idle main screen: %.2f s CPU in 20 s = %.1f %% of one core\n", t / hz, 100 * t / hz / 20 }'
grep -E "Maximum resident set size|Elapsed \(wall clock\)" "$root/brisel.log"
