#!/usr/bin/env bash
# Runs the station: the controller under a run root of its own, with the
# simulated platform and the amplifier emulator on a pseudo-terminal.
# Stop it with Ctrl-C.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build build/release --target brisel brisel-amp-emulator
root="${BRISEL_ROOT:-$PWD/run/station}"
mkdir -p "$root/opt/set"
echo "Run root: $root"
# A new simulated unit is set up for a generic transceiver: it follows the
# emulator's frequency counter and keeps the tuner in line on every band.
[ -e "$root/opt/set/antenna.txt" ] || cp sim/station/antenna.txt "$root/opt/set/antenna.txt"

build/release/brisel-amp-emulator --root "$root" > "$root/amp-emulator.out" 2> "$root/amp-emulator.log" &
emulator=$!
trap 'kill $emulator 2>/dev/null; wait $emulator 2>/dev/null' EXIT
for _ in $(seq 100); do
  grep -q "amp-emulator ready" "$root/amp-emulator.out" 2>/dev/null && break
  sleep 0.1
done
echo "Amplifier emulator: control socket $root/run/amp-emulator.sock"
build/release/brisel --root "$root"
