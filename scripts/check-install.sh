#!/usr/bin/env bash
# Checks what `cmake --install` and `cpack -G DEB` make of a build folder
# against what the README promises: the program, its images where it runs,
# the service unit on the board's build only, nothing in /opt/set, and the
# package's declared dependencies. Everything goes to a temporary folder.
#   bash scripts/check-install.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: bash scripts/check-install.sh BUILD_DIR}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
board=0
grep -q 'CPACK_DEBIAN_PACKAGE_ARCHITECTURE "armhf"' "$build/CPackConfig.cmake" && board=1
for file in usr/bin/brisel opt/Brisel/start.png opt/Brisel/m5a.png usr/share/doc/brisel/README.md; do
  [ -f "$work/root/$file" ] || fail "/$file is not installed"
done
[ ! -e "$work/root/opt/set" ] || fail "the installation writes into /opt/set"
service="$work/root/lib/systemd/system/brisel.service"
if [ "$board" = 1 ]; then
  [ -f "$service" ] || fail "the board's installation has no service unit"
  grep -qx 'ExecStart=/usr/bin/brisel' "$service" || fail "the service does not start /usr/bin/brisel"
  grep -qx 'WorkingDirectory=/opt/Brisel' "$service" || fail "the service does not run in /opt/Brisel"
else
  [ ! -e "$service" ] || fail "a simulator's installation carries the board's service"
  [ -x "$work/root/usr/bin/brisel-amp-emulator" ] || fail "the simulator's programs are not installed"
  [ -f "$work/root/usr/share/brisel/sim/station/setup.txt" ] || fail "run.sh's sample files are not installed"
fi

cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >/dev/null
package=$(ls "$work"/package/brisel_*.deb)
contents=$(dpkg-deb -c "$package")
[[ "$contents" != *" ./opt/set"* ]] || fail "the package holds files in /opt/set"
depends=$(dpkg-deb -f "$package" Depends)
for dependency in libpng16-16 libfreetype6 libusb-1.0-0 libasound2 libopus0 libssl3 libglib2.0-0 \
  fonts-dejavu-core fonts-dejavu-extra fonts-paratype; do
  [[ ", $depends," == *", $dependency"[,\ ]* ]] || fail "the package does not depend on $dependency"
done
[[ "$(dpkg-deb -I "$package" postinst)" == *"ln -s \"/usr/share/fonts/truetype/paratype/"* ]] || fail "the package does not link the fonts"
# A cross-built program runs under the emulator its build names.
emulator=$(sed -nE 's/^CMAKE_CROSSCOMPILING_EMULATOR:[A-Z]+=(.*)$/\1/p' "$build/CMakeCache.txt" | tr ';' ' ')
version=$($emulator "$build/brisel" --version) || fail "the program does not print its version"
echo "check-install: $(basename "$package") ($(stat -c %s "$package") bytes), $(dpkg-deb -f "$package" Version); $version"
