# Sourced by the station scripts. start_emulator ROOT [OPTION...] starts the
# amplifier emulator under the run root in the background with the options,
# sets $emulator to its process id and returns once its pseudo-terminal is
# ready; when it ends or is not ready within 10 s it says why, stops it and
# returns 1. Its standard output goes to ROOT/amp-emulator.out, its log to
# ROOT/amp-emulator.log.
start_emulator() {
  local root=$1
  shift
  build/release/brisel-amp-emulator --root "$root" "$@" > "$root/amp-emulator.out" 2> "$root/amp-emulator.log" &
  emulator=$!
  for _ in $(seq 100); do
    grep -q "amp-emulator ready" "$root/amp-emulator.out" 2>/dev/null && return 0
    kill -0 "$emulator" 2>/dev/null || break
    sleep 0.1
  done
  echo "The amplifier emulator did not become ready; its log $root/amp-emulator.log ends:" >&2
  tail -n 12 "$root/amp-emulator.log" >&2
  kill "$emulator" 2>/dev/null
  wait "$emulator" 2>/dev/null
  emulator=""
  return 1
}

# start_radio_emulator ROOT [OPTION...] does the same for the maker's
# transceiver on the auxiliary link, after the amplifier emulator (its carrier
# keys that one): $radio_emulator, ROOT/qor-emulator.out and .log.
start_radio_emulator() {
  local root=$1
  shift
  build/release/brisel-qor-emulator --root "$root" "$@" > "$root/qor-emulator.out" 2> "$root/qor-emulator.log" &
  radio_emulator=$!
  for _ in $(seq 100); do
    grep -q "qor-emulator ready" "$root/qor-emulator.out" 2>/dev/null && return 0
    kill -0 "$radio_emulator" 2>/dev/null || break
    sleep 0.1
  done
  echo "The transceiver emulator did not become ready; its log $root/qor-emulator.log ends:" >&2
  tail -n 12 "$root/qor-emulator.log" >&2
  kill "$radio_emulator" 2>/dev/null
  wait "$radio_emulator" 2>/dev/null
  radio_emulator=""
  return 1
}
