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

source scripts/emulator.sh
trap 'set +e; kill ${emulator:-} 2>/dev/null; wait ${emulator:-} 2>/dev/null' EXIT
start_emulator "$root"
echo "Amplifier emulator: control socket $root/run/amp-emulator.sock"
build/release/brisel --root "$root"
