#!/usr/bin/env bash
# run.sh as a user meets it, without its build: an emulator that cannot
# start stops it with the reason, a new run root gets the sample files and a
# pass phrase and starts without missing-file errors, the remote command it
# prints logs in, a second run.sh on the same root is refused while the first
# runs, and one on another root is refused the ports the first holds (and
# told free ones), SIGTERM to run.sh stops every program it started,
# --radio qor puts the transceiver on the auxiliary link and --radio ft817 an
# FT-817 on the CAT port (and a later run without one takes it off).
# Arguments: the source folder and the build folder whose programs run.
set -uo pipefail
source_dir=$1
export BRISEL_PROGRAMS=$2
root=$(mktemp -d /tmp/brisel-run-XXXXXX)
other=$(mktemp -d /tmp/brisel-other-XXXXXX)
out=$root.out
first=""
# run.sh itself names no --root: its process group goes too, so that a run.sh
# still starting cannot start its programs after this.
trap '[ -n "$first" ] && kill -KILL -- -"$first" 2>/dev/null; kill -KILL $(pgrep -f -- "--root $root") $(pgrep -f -- "--root $other") 2>/dev/null; rm -rf "$root" "$other" "$out" "$out.2"' EXIT

fail() {
  echo "FAILED: $*" >&2
  echo "--- run.sh said:" >&2
  tail -n 40 "$out" >&2
  exit 1
}
within() {  # within SECONDS COMMAND...: true once the command is
  local tries=$(($1 * 10))
  shift
  for _ in $(seq "$tries"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
running() { pgrep -f -- "--root $root" >/dev/null; }
stopped() { ! running; }
printed() { grep -q "$1" "$out" 2>/dev/null; }
# A child that ended stays a zombie until waited for.
ended() {
  local state
  state=$(ps -o stat= -p "$1")
  [ -z "$state" ] || [[ $state == Z* ]]
}
# The amplifier emulator's state line.
amp_state() {
  python3 -c 'import socket,sys; s=socket.socket(socket.AF_UNIX); s.connect(sys.argv[1]); s.send(b"state\n"); print(s.recv(4096).decode())' \
    "$root/run/amp-emulator.sock" 2>/dev/null
}
# A loopback port nobody listens on now.
free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
# The frequency of the transceiver emulator (either one starts on 14.25 MHz) sent on to the amplifier.
follows_radio() { amp_state | grep -q " fa_hz=14250000 "; }

BRISEL_NO_BUILD=1 BRISEL_ROOT=$root bash "$source_dir/run.sh" --model 99 >"$out" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "run.sh with an emulator that cannot start ended with $status"
grep -q "The amplifier emulator did not become ready" "$out" || fail "no word of the emulator's failure"
grep -q -- "bad argument --model 99" "$out" || fail "the emulator's own reason is not shown"
running && fail "left running after the emulator failed: $(pgrep -af -- "--root $root")"

remote_port=$(free_port)
BRISEL_NO_BUILD=1 BRISEL_ROOT=$root setsid bash "$source_dir/run.sh" --port 0 --time-scale 10 \
  --remote-port "$remote_port" >"$out" 2>&1 &
first=$!
within 60 printed "^Open http://127.0.0.1:[0-9]*/ in a browser" || fail "no address printed"
# The command run.sh prints, as a user would paste it at once (the client's path from where run.sh was
# started): it waits for the station to listen.
within 5 printed "brisel-remote --port" || fail "no remote command printed"
remote_command=$(grep -A1 "^Remote operation" "$out" | sed -n 's/^  //p')
[[ $remote_command == "$BRISEL_PROGRAMS/brisel-remote --port $remote_port --pass A"* ]] ||
  fail "no remote command printed: $remote_command"
eval "${remote_command/--count 20/--count 3}" >"$out.2" 2>&1 ||
  fail "the printed remote command did not log in: $(cat "$out.2")"
grep -q "^ST band=" "$out.2" || fail "no status record for the remote client: $(cat "$out.2")"

within 60 printed "Keyboard function entered" || fail "the station did not reach its main screen"
for file in antenna.txt ventola.txt ventolaSSB.txt ventolaDIG.txt config.txt filter.txt setup.txt interfaces; do
  [ -e "$root/opt/set/$file" ] || fail "the new run root has no $file"
done
grep -q "^TUNEenabled: 1$" "$root/opt/set/setup.txt" || fail "tuning is not enabled in the new run root"
grep -q "^TcpPort: $remote_port$" "$root/opt/set/setup.txt" || fail "--remote-port did not reach the setup file"
grep -qE "^Passphrase: A[A-Za-z0-9]{6}$" "$root/opt/set/setup.txt" || fail "the new run root has no pass phrase"
# (The remote client leaving is logged as a read or, when a frame was on its way, a write error: no
# error of the start.)
! grep -E "syslog<3>|not FOUND|Error opening network" "$out" | grep -vE "TCP (read|write) Error" || fail "a new run root starts with errors"

# Another station on the same ports: refused before it starts anything, with free ones named.
web_port=$(sed -n 's|^Open http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$out")
BRISEL_NO_BUILD=1 BRISEL_ROOT=$other bash "$source_dir/run.sh" --port "$web_port" >"$out.2" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "a second station on the web port $web_port ended with $status"
grep -qE "^run.sh: the web page's port $web_port is in use .*start with --port [0-9]+" "$out.2" ||
  fail "no clear refusal of the web port: $(cat "$out.2")"
"$BRISEL_PROGRAMS/brisel-sim-web" --root "$other" --port "$web_port" >/dev/null 2>"$out.2"
status=$?
[ "$status" -eq 1 ] || fail "a second web server on port $web_port ended with $status, sharing it"
grep -q "cannot listen on 127.0.0.1:$web_port: Address already in use" "$out.2" ||
  fail "the web server does not say why: $(cat "$out.2")"
BRISEL_NO_BUILD=1 BRISEL_ROOT=$other bash "$source_dir/run.sh" --port 0 --remote-port "$remote_port" >"$out.2" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "a second station on the remote port $remote_port ended with $status"
grep -qE "^run.sh: the remote port $remote_port is in use .*start with --remote-port [0-9]+" "$out.2" ||
  fail "no clear refusal of the remote port: $(cat "$out.2")"
pgrep -f -- "--root $other" >/dev/null && fail "the refused station left programs running"

BRISEL_NO_BUILD=1 BRISEL_ROOT=$root bash "$source_dir/run.sh" --port 0 >"$out.2" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "a second run.sh on the same root ended with $status"
grep -q "is in use by another run.sh (process $first)" "$out.2" || fail "no clear refusal: $(cat "$out.2")"
running || fail "the second run.sh disturbed the first"

kill -TERM "$first"
within 15 ended "$first" || fail "run.sh did not end on SIGTERM"
within 5 stopped || fail "left running: $(pgrep -af -- "--root $root")"

# run_with_radio RADIO PORT_LINE TABLE NAME: run.sh --radio RADIO opens the
# radio's port, switches the band table to it and follows its frequency.
run_with_radio() {
  BRISEL_NO_BUILD=1 BRISEL_ROOT=$root setsid bash "$source_dir/run.sh" --port 0 --time-scale 10 --radio "$1" >"$out" 2>&1 &
  first=$!
  within 60 printed "$2" || fail "the station did not open the $4's port"
  [ "$(head -n 1 "$root/opt/set/antenna.txt")" = "$3" ] || fail "the band table does not name the $4"
  within 60 follows_radio || fail "the station did not pass the $4's frequency on: $(amp_state)"
  kill -TERM "$first"
  within 15 ended "$first" || fail "run.sh with the $4 did not end on SIGTERM"
  within 5 stopped || fail "left running: $(pgrep -af -- "--root $root")"
}
run_with_radio qor "OK works->serFD=" "!Qor" transceiver
run_with_radio ft817 "OK works->catSerFD=" "!817" FT-817

BRISEL_NO_BUILD=1 BRISEL_ROOT=$root setsid bash "$source_dir/run.sh" --port 0 --time-scale 10 >"$out" 2>&1 &
first=$!
within 60 printed "^Open http://127.0.0.1:[0-9]*/ in a browser" || fail "no address printed after --radio ft817"
[ "$(head -n 1 "$root/opt/set/antenna.txt")" = "!Gen" ] || fail "the band table stayed on the absent transceiver"
kill -TERM "$first"
within 15 ended "$first" || fail "run.sh did not end on SIGTERM after --radio ft817"
within 5 stopped || fail "left running: $(pgrep -af -- "--root $root")"
echo "run.sh: emulator failure reported, fresh root clean with a pass phrase that logs in, second run refused," \
  "ports in use refused, SIGTERM stopped everything, the transceiver's link with --radio qor, the FT-817's" \
  "CAT port with --radio ft817"
