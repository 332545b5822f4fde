#!/usr/bin/env bash
# Runs the station: the controller under a run root of its own, with the
# simulated platform, the amplifier emulator on a pseudo-terminal and the web
# page that shows its screen and takes its keys (and, when asked, a
# transceiver's emulator). Ctrl-C or SIGTERM stops them all.
set -euo pipefail

usage() {
  cat <<'TEXT'
usage: bash run.sh [--port N] [--time-scale X] [--model 60|120] [--region eu|usa] [--verbose]
                  [--radio qor|ft817] [--remote-port N] [--listen ADDR]
  --port N         the web page's port on 127.0.0.1 (default 8470; 0 picks a free one)
  --remote-port N  the station's remote port, written into the run root's setup
                   file as TcpPort (kept for later runs; 6666 in a new one)
  --listen ADDR    the web page also for other computers, on this IPv4 address
                   of this one (0.0.0.0: all of them); it has no password
  --time-scale X   the station's clock and the emulator's heat sinks X times
                   faster than real time (default 1)
  --model, --region, --verbose
                   passed to the amplifier emulator
  --radio qor      also the maker's transceiver on the auxiliary link; the run
                   root's band table is switched to it ("!Qor")
  --radio ft817    also an FT-817 on the CAT port; the band table is switched
                   to it ("!817")
The run root is run/station/ or $BRISEL_ROOT (relative to the current folder).
The programs are built in build/run/ (preset run).
BRISEL_NO_BUILD=1 skips the dependency check and the build, and BRISEL_PROGRAMS=DIR
runs the programs of DIR instead (the tests use both).
TEXT
}

port=8470
radio=""
remote_port=""
listen=127.0.0.1
station_options=()
emulator_options=()
radio_options=()
while [ $# -gt 0 ]; do
  case $1 in
    -h|--help) usage; exit 0 ;;
    --verbose) emulator_options+=(--verbose); shift; continue ;;
    --port|--time-scale|--model|--region|--radio|--remote-port|--listen)
      [ $# -ge 2 ] || { echo "run.sh: $1 needs a value" >&2; exit 2; } ;;
    *) echo "run.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
  case $1 in
    --port) port=$2 ;;
    --remote-port)
      [[ $2 =~ ^[0-9]+$ ]] && [ "$2" -ge 1 ] && [ "$2" -le 65535 ] ||
        { echo "run.sh: --remote-port takes a port, 1 to 65535, not $2" >&2; exit 2; }
      remote_port=$2 ;;
    --listen) listen=$2 ;;
    --radio)
      [ "$2" = qor ] || [ "$2" = ft817 ] || { echo "run.sh: --radio takes qor or ft817, not $2" >&2; exit 2; }
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
programs=${BRISEL_PROGRAMS:-}
[ -n "$programs" ] && [ "${programs#/}" = "$programs" ] && programs="$PWD/$programs"
invoked_from=$PWD
cd "$(dirname "$0")"
root=${root:-$PWD/run/station}
# The programs, as the user can type them from where run.sh was started.
if [ -z "$programs" ]; then
  programs=build/run
  [ "$invoked_from" = "$PWD" ] || programs=$PWD/build/run
fi

# in_use PORT [ADDRESS]: something listens there (a connection is taken).
in_use() { (exec 3<>"/dev/tcp/${2:-127.0.0.1}/$1") 2>/dev/null; }
# free_port_after PORT [ADDRESS]: the first port above PORT that nothing listens on.
free_port_after() {
  local candidate
  for ((candidate = $1 + 1; candidate <= 65535 && candidate <= $1 + 100; candidate++)); do
    in_use "$candidate" "${2:-}" || { echo "$candidate"; return; }
  done
  echo 0
}
# refuse_port WHAT PORT OPTION [ADDRESS]: says that the port is taken and which one is free.
refuse_port() {
  echo "run.sh: $1 $2 is in use (by another station's run.sh?); start with $3 $(free_port_after "$2" "${4:-}") or stop the other one" >&2
  exit 1
}
# The address this computer reaches the web page on.
web_check_address=$listen
[ "$listen" = 0.0.0.0 ] && web_check_address=127.0.0.1

if [ "${BRISEL_NO_BUILD:-}" != 1 ]; then
  bash scripts/install-deps.sh run
  cmake --preset run >/dev/null
  cmake --build --preset run -j "$(nproc)"
fi
# Before anything starts: a second server on the port would leave the page to one of them.
[ "$port" != 0 ] && in_use "$port" "$web_check_address" && refuse_port "the web page's port" "$port" --port "$web_check_address"

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
new_root=1
[ -e "$root/opt/set/setup.txt" ] && new_root=0
prepare_run_root "$root"
[ "$new_root" = 1 ] && give_pass_phrase "$root"
setup=$root/opt/set/setup.txt
[ -n "$remote_port" ] && sed -i "s/^TcpPort:.*/TcpPort: $remote_port/" "$setup"
# The station keeps the port in 16 bits with a sign: ports above 32767 are written negative.
remote_port=$(sed -n 's/^TcpPort: *\(-\{0,1\}[0-9]*\).*/\1/p' "$setup" | tail -n 1)
remote_port=$(((${remote_port:-6666} + 65536) % 65536))
in_use "$remote_port" && refuse_port "the remote port" "$remote_port" --remote-port
pass_phrase=$(sed -n 's/^Passphrase: //p' "$setup" | tail -n 1)

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
# The station reads a transceiver's port only with that transceiver as its interface; a root
# left on one by an earlier --radio would wait for a radio that is not there.
match_banks_to_radio "$root" "$radio"
if [ "$radio" = qor ]; then
  start_radio_emulator "$root" "${radio_options[@]}" || exit 1
  echo "Transceiver emulator: control socket $root/run/qor-emulator.sock, log $root/qor-emulator.log"
elif [ "$radio" = ft817 ]; then
  start_ft817_emulator "$root" || exit 1
  echo "FT-817 emulator: control socket $root/run/ft817-emulator.sock, log $root/ft817-emulator.log"
fi

"$programs/brisel-sim-web" --root "$root" --port "$port" --listen "$listen" > "$root/sim-web.out" 2> "$root/sim-web.log" &
web=$!
address=""
for _ in $(seq 300); do
  address=$(sed -n 's/^brisel-sim-web ready //p' "$root/sim-web.out" 2>/dev/null)
  [ -n "$address" ] && break
  kill -0 "$web" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$address" ]; then
  echo "run.sh: the web page did not start:" >&2
  cat "$root/sim-web.log" >&2
  grep -q "Address already in use" "$root/sim-web.log" && refuse_port "the web page's port" "$port" --port "$web_check_address"
  exit 1
fi
echo "Open $address in a browser to see and use the station."
if [ "$listen" != 127.0.0.1 ]; then
  echo "The page listens on $listen too: other computers that reach it can operate the station, without a password."
fi
if [ -n "$pass_phrase" ]; then
  echo "Remote operation, once the station logs \"Listening on port $remote_port\" (about 16 s after its start):"
  echo "  $programs/brisel-remote --port $remote_port --pass $(printf %q "$pass_phrase") --count 20"
  echo "  (the pass phrase is the Passphrase line of $setup)"
else
  echo "Remote operation: off, the setup file $setup has no pass phrase; with the station stopped, write one on its Passphrase line."
fi

# In the background so that a signal to this script reaches its trap at once.
"$programs/brisel" --root "$root" "${station_options[@]}" &
station=$!
status=0
wait "$station" || status=$?
station=""
exit "$status"
