#!/usr/bin/env bash
# Runs the station: the controller under a run root of its own, with the
# simulated platform, the amplifier emulator on a pseudo-terminal and the web
# page that shows its screen and takes its keys. Ctrl-C or SIGTERM stops all
# three.
set -euo pipefail

usage() {
  cat <<'TEXT'
usage: bash run.sh [--port N] [--time-scale X] [--model 60|120] [--region eu|usa] [--verbose]
                  [--radio qor]
  --port N         the web page's port on 127.0.0.1 (default 8470; 0 picks a free one)
  --time-scale X   the station's clock and the emulator's heat sinks X times
                   faster than real time (default 1)
  --model, --region, --verbose
                   passed to the amplifier emulator
  --radio qor      also the maker's transceiver on the auxiliary link; the run
                   root's band table is switched to it ("!Qor")
The run root is run/station/ or $BRISEL_ROOT (relative to the current folder).
BRISEL_NO_BUILD=1 skips the dependency check and the build (the tests use it).
TEXT
}

port=8470
radio=""
station_options=()
emulator_options=()
radio_options=()
while [ $# -gt 0 ]; do
  case $1 in
    -h|--help) usage; exit 0 ;;
    --verbose) emulator_options+=(--verbose); shift; continue ;;
    --port|--time-scale|--model|--region|--radio)
      [ $# -ge 2 ] || { echo "run.sh: $1 needs a value" >&2; exit 2; } ;;
    *) echo "run.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
  case $1 in
    --port) port=$2 ;;
    --radio)
      [ "$2" = qor ] || { echo "run.sh: --radio takes qor, not $2" >&2; exit 2; }
      radio=$2 ;;
    --time-scale)
      station_options+=(--time-scale "$2"); emulator_options+=(--time-scale "$2")
      radio_options=(--time-scale "$2") ;;
    *) emulator_options+=("$1" "$2") ;;
  esac
  shift 2
done

root=${BRISEL_ROOT:-}
[ -n "$root" ] && [ "${root#/}" = "$root" ] && root="$PWD/$root"
cd "$(dirname "$0")"
root=${root:-$PWD/run/station}

if [ "${BRISEL_NO_BUILD:-}" != 1 ]; then
  bash scripts/install-deps.sh
  cmake --preset release >/dev/null
  cmake --build build/release -j "$(nproc)" --target brisel brisel-amp-emulator brisel-sim-web \
    brisel-qor-emulator
fi

# One run per run root: two would fight over its pseudo-terminal, sockets and
# screen. The programs inherit the lock, so it holds while any of them lives.
mkdir -p "$root"
exec 9>>"$root/run.lock"
if ! flock -n 9; then
  echo "run.sh: $root is in use by another run.sh (process $(cat "$root/run.lock")); stop that one or set BRISEL_ROOT to another folder" >&2
  exit 1
fi
echo $$ > "$root/run.lock"
echo "Run root: $root"

source scripts/run-root.sh
prepare_run_root "$root"

station="" web="" emulator="" radio_emulator=""
# The controller first, so that it never writes to an emulator that is gone.
stop_all() {
  trap - INT TERM HUP EXIT
  set +e
  [ -n "$station" ] && kill -TERM "$station" 2>/dev/null && wait "$station"
  for pid in $web $radio_emulator $emulator; do kill -TERM "$pid" 2>/dev/null; done
  wait 2>/dev/null
}
trap 'stop_all; exit 130' INT
trap 'stop_all; exit 143' TERM
trap 'stop_all; exit 129' HUP
trap 'stop_all' EXIT

source scripts/emulator.sh
start_emulator "$root" "${emulator_options[@]}" || exit 1
echo "Amplifier emulator: control socket $root/run/amp-emulator.sock, log $root/amp-emulator.log"
if [ "$radio" = qor ]; then
  # The station reads the auxiliary link only with the maker's transceiver as its interface.
  match_banks_to_radio "$root" qor
  start_radio_emulator "$root" "${radio_options[@]}" || exit 1
  echo "Transceiver emulator: control socket $root/run/qor-emulator.sock, log $root/qor-emulator.log"
else
  # A root left on the transceiver's link by an earlier --radio qor would wait for a radio that is not there.
  match_banks_to_radio "$root" ""
fi

build/release/brisel-sim-web --root "$root" --port "$port" > "$root/sim-web.out" 2> "$root/sim-web.log" &
web=$!
address=""
for _ in $(seq 50); do
  address=$(sed -n 's/^brisel-sim-web ready //p' "$root/sim-web.out" 2>/dev/null)
  [ -n "$address" ] && break
  kill -0 "$web" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$address" ]; then
  echo "run.sh: the web page did not start (another --port?):" >&2
  cat "$root/sim-web.log" >&2
  exit 1
fi
echo "Open $address in a browser to see and use the station."

# In the background so that a signal to this script reaches its trap at once.
build/release/brisel --root "$root" "${station_options[@]}" &
station=$!
status=0
wait "$station" || status=$?
station=""
exit "$status"
