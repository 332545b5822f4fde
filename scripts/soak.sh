#!/usr/bin/env bash
# The soak: the simulated station at real time under a new run root, with the
# amplifier emulator, the maker's transceiver on the auxiliary link and its CAT
# port, worked by a scripted operator and a remote client for MINUTES minutes
# while the station's figures are recorded (scripts/soak_operator.py). Ctrl-C
# or SIGTERM stops everything it started.
set -uo pipefail

usage() {
  cat <<'TEXT'
usage: bash scripts/soak.sh MINUTES [--out DIR]
Runs the simulated station at real time for MINUTES minutes (2 or more) under a new
temporary run root, with the amplifier emulator, the maker's transceiver emulator on
the auxiliary link and the transceiver's CAT port emulator. A scripted operator works
the panel channel and the emulators: the radio's band every 5 s, and every minute an
automatic tune into a bad load (the radio's tune carrier into the amplifier emulator),
a bank change and a menu edit that saves. A remote client (brisel-remote) stays logged
in with audio both ways, a new session every 50 s, and logs in again when dropped.

At the end of every minute the station's open descriptors, threads, resident memory
and CPU share over the minute go to DIR/soak.csv (minute,fds,threads,rss_kb,cpu_percent);
at the end DIR/soak.png plots them. DIR (default build/release/soak) also receives the
station's and the emulators' logs.

Exits 1 when the station ends, stops answering the panel or refuses the remote client,
or when the last minute, compared with minute 5, has more open descriptors or threads
or more than 10 % more resident memory. A run shorter than six minutes compares with
the sample at the end of minute 1 instead.
The programs are those of the release build (build/release), built when missing.
TEXT
}

minutes=""
out=""
while [ $# -gt 0 ]; do
  case $1 in
    -h|--help) usage; exit 0 ;;
    --out)
      [ $# -ge 2 ] || { echo "soak.sh: --out needs a folder" >&2; exit 2; }
      out=$2; shift 2 ;;
    *)
      [ -z "$minutes" ] && [[ $1 =~ ^[0-9]+$ ]] || { usage >&2; exit 2; }
      minutes=$1; shift ;;
  esac
done
[ -n "$minutes" ] && [ "$minutes" -ge 2 ] || { usage >&2; exit 2; }
[ -n "$out" ] && [ "${out#/}" = "$out" ] && out="$PWD/$out"
cd "$(dirname "$0")/.."
out=${out:-$PWD/build/release/soak}

bash scripts/install-deps.sh test || exit 1
# An existing release build keeps its configuration (check.sh's among them).
if [ ! -e build/release/CMakeCache.txt ]; then
  cmake --preset release >/dev/null || exit 1
fi
cmake --build --preset release -j "$(nproc)" --target brisel brisel-amp-emulator brisel-qor-emulator \
  brisel-cat-emulator brisel-remote || exit 1
programs=$PWD/build/release

mkdir -p "$out" || exit 1
logs="station.log amp-emulator.log qor-emulator.log cat-emulator.log"
for file in soak.csv soak.png $logs; do rm -f "$out/$file"; done
# On the RAM disk where there is one, as the tests' run roots: the station syncs every file it
# saves and logs about a megabyte a minute, and a busy disk would hold it up.
folder=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && folder=/dev/shm
root=$(mktemp -d "$folder/brisel-soak-XXXXXX") || exit 1
echo "soak: run root $root, figures and logs in $out"

station="" emulator="" radio_emulator="" cat_emulator="" operator=""
# end_process PID: SIGTERM, then SIGKILL when it has not ended within 30 s.
end_process() {
  kill -TERM "$1" 2>/dev/null || return 0
  local state
  for _ in $(seq 300); do
    state=$(ps -o stat= -p "$1")
    [ -z "$state" ] || [[ $state == Z* ]] && break
    sleep 0.1
  done
  kill -KILL "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}
# The operator and the station before the emulators, so that none writes to one that is gone.
stop_all() {
  trap - INT TERM HUP EXIT
  for pid in $operator $station $cat_emulator $radio_emulator $emulator; do end_process "$pid"; done
  for file in $logs; do
    [ -e "$root/$file" ] && cp "$root/$file" "$out/"
  done
  rm -rf "$root"
}
trap 'stop_all; echo "soak: failed: interrupted"; exit 130' INT
trap 'stop_all; echo "soak: failed: stopped by SIGTERM"; exit 143' TERM
trap 'stop_all; echo "soak: failed: stopped by SIGHUP"; exit 129' HUP
trap 'stop_all' EXIT

source scripts/run-root.sh
source scripts/emulator.sh
prepare_run_root "$root"
give_pass_phrase "$root"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
# Remote operation with audio and CAT; the transceiver is found on the simulated USB bus.
sed -i -e 's/^EnableRead:.*/EnableRead: 1/' -e 's/^EnableWrite:.*/EnableWrite: 1/' \
  -e 's/^EnableCAT:.*/EnableCAT: 1/' -e "s/^TcpPort:.*/TcpPort: $port/" "$root/opt/set/setup.txt"
start_emulator "$root" || { echo "soak: failed: the amplifier emulator did not start"; exit 1; }
match_banks_to_radio "$root" qor
start_radio_emulator "$root" || { echo "soak: failed: the transceiver emulator did not start"; exit 1; }
start_ready_program cat_emulator cat-emulator "CAT port emulator" "$root" ||
  { echo "soak: failed: the CAT port emulator did not start"; exit 1; }
"$programs/brisel" --root "$root" >/dev/null 2>"$root/station.log" &
station=$!

# In the background so that a signal to this script reaches its trap at once.
python3 -B scripts/soak_operator.py --root "$root" --station-pid "$station" --station-log "$root/station.log" \
  --client "$programs/brisel-remote" --port "$port" --minutes "$minutes" --out "$out" &
operator=$!
wait "$operator"
status=$?
operator=""

if [ "$(wc -l <"$out/soak.csv" 2>/dev/null || echo 0)" -gt 1 ]; then
  gnuplot <<PLOT || { echo "soak: failed: gnuplot could not draw $out/soak.png"; status=1; }
set terminal png size 900,900
set output '$out/soak.png'
set datafile separator ','
set xlabel 'minute'
set grid
set key autotitle columnhead
set key off
set yrange [0:*]
set offsets 0, 0, graph 0.1, 0
set xtics $(((minutes + 9) / 10))
set multiplot layout 4,1 title "The station during the soak"
set ylabel 'open descriptors'
plot '$out/soak.csv' using 1:2 with linespoints
set ylabel 'threads'
plot '$out/soak.csv' using 1:3 with linespoints
set ylabel 'resident memory (kB)'
plot '$out/soak.csv' using 1:4 with linespoints
set ylabel 'CPU share (%)'
plot '$out/soak.csv' using 1:5 with linespoints
unset multiplot
PLOT
fi
exit "$status"
