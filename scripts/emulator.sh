# Sourced by the station scripts. start_emulator ROOT starts the amplifier
# emulator under the run root in the background, sets $emulator to its
# process id and returns once its pseudo-terminal is ready.
start_emulator() {
  local root=$1
  build/release/brisel-amp-emulator --root "$root" > "$root/amp-emulator.out" 2> "$root/amp-emulator.log" &
  emulator=$!
  for _ in $(seq 100); do
    grep -q "amp-emulator ready" "$root/amp-emulator.out" 2>/dev/null && return 0
    sleep 0.1
  done
}
