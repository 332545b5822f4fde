# Sourced by the station scripts. start_emulator ROOT [OPTION...] starts the
# amplifier emulator under the run root in the background with the options,
# sets $emulator to its process id and returns once its pseudo-terminal is
# ready; when it ends or is not ready within 10 s it says why, stops it and
# returns 1. Its standard output goes to ROOT/amp-emulator.out, its log to
# ROOT/amp-emulator.log. start_radio_emulator ROOT [OPTION...] does the same
# for the maker's transceiver on the auxiliary link, after the amplifier
# emulator (its carrier keys that one): $radio_emulator,
# ROOT/qor-emulator.out and .log. start_ft817_emulator ROOT does it for the
# FT-817 on the CAT port: $radio_emulator, ROOT/ft817-emulator.out and .log.
# The programs are those of $programs (build/run when it is not set).
start_emulator() { start_ready_program emulator amp-emulator "amplifier emulator" "$@"; }
start_radio_emulator() { start_ready_program radio_emulator qor-emulator "transceiver emulator" "$@"; }
start_ft817_emulator() { start_ready_program radio_emulator ft817-emulator "FT-817 emulator" "$@"; }

# start_ready_program VAR NAME WHAT ROOT [OPTION...]: brisel-NAME as above,
# its process id in the variable VAR, ready once it prints "NAME ready".
start_ready_program() {
  local var=$1 name=$2 what=$3 root=$4 pid
  shift 4
  "${programs:-build/run}/brisel-$name" --root "$root" "$@" > "$root/$name.out" 2> "$root/$name.log" &
  pid=$!
  printf -v "$var" %s "$pid"
  for _ in $(seq 100); do
    grep -q "$name ready" "$root/$name.out" 2>/dev/null && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "The $what did not become ready; its log $root/$name.log ends:" >&2
  tail -n 12 "$root/$name.log" >&2
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  printf -v "$var" %s ""
  return 1
}
