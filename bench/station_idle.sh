#!/usr/bin/env bash
# CPU share and peak memory of the whole station idling on the main screen in
# the simulator, with the amplifier emulator on its link: a settle for the
# start-up countdown, then a measured window, then SIGINT.
#
#   bench/station_idle.sh [--seconds N] [--settle S] [--csv FILE]
#
# --seconds N  the measured window (default 20)
# --settle S   the wait before it, for the start-up countdown (default 15;
#              the meters appear after about 13 s)
# --csv FILE   also writes the thread table as "thread,tid,cpu_seconds,percent"
#
# Prints a table: every thread of the station process by name (its comm, as
# the station names them), its CPU seconds and its share of one core over the
# window; threads that ended within the window are one row; then the total.
# Then these key=value lines, for other scripts to take:
#   idle_seconds=N             the measured window
#   idle_cpu_percent=X         the station's share of one core
#   idle_thread_percent_NAME=X each thread name's share (threads of one name
#                              summed; characters other than letters, digits
#                              and "_" in NAME become "_")
#   idle_rss_kb=N              the station's peak resident memory
#   idle_emulator_percent=X    the amplifier emulator's share (not the station's)
#   idle_load_average=X        the host's one-minute load average at the end
# Run from the repository after a release build. The figures are in clock
# ticks (usually 10 ms), so a window of a few seconds gives them roughly.
set -euo pipefail
# Job control: otherwise background jobs start with SIGINT ignored.
set -m
cd "$(dirname "$0")/.."

seconds=20
settle=15
csv=""
while (($#)); do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --settle) settle=$2; shift 2 ;;
    --csv) csv=$2; shift 2 ;;
    *) echo "usage: $0 [--seconds N] [--settle S] [--csv FILE]" >&2; exit 2 ;;
  esac
done
[[ $seconds =~ ^[0-9]+$ && $seconds -gt 0 && $settle =~ ^[0-9]+$ ]] || {
  echo "--seconds takes a whole number above 0, --settle a whole number" >&2
  exit 2
}

root=$(mktemp -d /tmp/brisel-idle-XXXXXX)
programs=build/release
source scripts/emulator.sh
station=""
finish() {
  set +e
  [[ -n $station ]] && kill -INT "$station" 2>/dev/null && wait "$station" 2>/dev/null
  [[ -n ${emulator:-} ]] && kill "$emulator" 2>/dev/null && wait "$emulator" 2>/dev/null
  rm -rf "$root"
}
trap finish EXIT
start_emulator "$root"

build/release/brisel --root "$root" > "$root/brisel.out" 2> "$root/brisel.log" &
station=$!

# One line per living thread: tid, utime + stime in clock ticks, name. The
# comm of field 2 may hold spaces, so the fields are counted after its ")".
thread_ticks() {
  local task
  for task in /proc/"$1"/task/*; do
    { read -r stat < "$task/stat" && read -r name < "$task/comm"; } 2>/dev/null || continue
    stat=${stat##*) }
    awk -v tid="${task##*/}" -v name="$name" '{ print tid, $12 + $13, name }' <<< "$stat"
  done
}
# utime + stime of a process and of its ended threads, in clock ticks.
process_ticks() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }

sleep "$settle"
kill -0 "$station" 2>/dev/null || { echo "the station ended; its log:" >&2; tail -n 20 "$root/brisel.log" >&2; exit 1; }
thread_ticks "$station" > "$root/before"
total_before=$(process_ticks "$station")
emulator_before=$(process_ticks "$emulator")
sleep "$seconds"
thread_ticks "$station" > "$root/after"
total_after=$(process_ticks "$station")
emulator_after=$(process_ticks "$emulator")
rss_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$station/status")
load=$(cut -d' ' -f1 /proc/loadavg)

awk -v hz="$(getconf CLK_TCK)" -v seconds="$seconds" -v total=$((total_after - total_before)) \
  -v emulator=$((emulator_after - emulator_before)) -v rss="$rss_kb" -v load="$load" -v csv="$csv" '
  function percent(ticks) { return 100 * ticks / hz / seconds }
  function key(name) { gsub(/[^A-Za-z0-9_]/, "_", name); return name }
  FNR == NR { before[$1] = $2; next }
  {
    tid = $1; name = substr($0, index($0, $3))
    ticks = $2 - (tid in before ? before[tid] : 0)
    row[++rows] = sprintf("%-16s %8d %9.2f %7.2f %%", name, tid, ticks / hz, percent(ticks))
    csvrow[rows] = sprintf("%s,%d,%.2f,%.2f", name, tid, ticks / hz, percent(ticks))
    if (!(name in byname)) names[++count] = name
    byname[name] += ticks; living += ticks
  }
  END {
    printf "idle main screen, %d s measured:\n%-16s %8s %9s %9s\n", seconds, "thread", "tid", "cpu s", "core"
    for (i = 1; i <= rows; ++i) print row[i]
    ended = total - living
    printf "%-16s %8s %9.2f %7.2f %%\n", "(ended threads)", "-", ended / hz, percent(ended)
    printf "%-16s %8s %9.2f %7.2f %%\n", "total", "-", total / hz, percent(total)
    printf "peak resident memory %d kB, load average %s\n", rss, load
    if (csv != "") {
      print "thread,tid,cpu_seconds,percent" > csv
      for (i = 1; i <= rows; ++i) print csvrow[i] > csv
      printf "(ended threads),,%.2f,%.2f\n", ended / hz, percent(ended) > csv
      printf "total,,%.2f,%.2f\n", total / hz, percent(total) > csv
    }
    printf "idle_seconds=%d\nidle_cpu_percent=%.2f\n", seconds, percent(total)
    for (i = 1; i <= count; ++i) printf "idle_thread_percent_%s=%.2f\n", key(names[i]), percent(byname[names[i]])
    printf "idle_rss_kb=%d\nidle_emulator_percent=%.2f\nidle_load_average=%s\n", rss, percent(emulator), load
  }' "$root/before" "$root/after"
