#!/usr/bin/env bash
# Installs the Debian packages that one use of the tree needs, asking apt
# only for those that are missing:
#   run   building and running the station and its simulator (run.sh)
#   test  that, and what the tests, the benchmarks and the format check need
#         (check.sh); the default
#   armhf the cross-compilers, the armhf libraries (Debian multiarch) and
#         qemu-arm, for the board's build (scripts/armhf.sh)
set -euo pipefail

run_packages=(
  build-essential cmake ninja-build pkg-config
  libpng-dev libfreetype-dev libusb-1.0-0-dev libasound2-dev libopus-dev libssl-dev libglib2.0-dev
  fonts-dejavu-core fonts-dejavu-extra fonts-paratype
  libcpp-httplib-dev socat netcat-openbsd
)
test_packages=(
  clang-format googletest libgtest-dev libbenchmark-dev libfftw3-dev libhamlib-utils procps python3 gnuplot-nox
  chromium chromium-driver python3-selenium
)

armhf_packages=(
  crossbuild-essential-armhf qemu-user
  libpng-dev:armhf libfreetype-dev:armhf libusb-1.0-0-dev:armhf libasound2-dev:armhf libopus-dev:armhf
  libssl-dev:armhf libglib2.0-dev:armhf libgtest-dev:armhf libbenchmark-dev:armhf libcpp-httplib-dev:armhf
)

case ${1:-test} in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  armhf) packages=("${run_packages[@]}" "${test_packages[@]}" "${armhf_packages[@]}") ;;
  *) echo "usage: bash scripts/install-deps.sh [run|test|armhf]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "Not root and no sudo: as root, run apt-get install ${missing[*]}" >&2
    exit 1
  fi
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# The armhf libraries come from the same archive once dpkg accepts the architecture.
if [ "${1:-test}" = armhf ] && ! dpkg --print-foreign-architectures | grep -qx armhf; then
  $sudo dpkg --add-architecture armhf
fi
# A mirror caught mid-sync fails one index now and then: try again a little
# later, and go on with what was fetched if it keeps failing (the install
# says so if a package is then missing).
update() {
  local attempt
  for attempt in 1 2 3; do
    $sudo apt-get update -qq && return 0
    echo "apt-get update failed (attempt $attempt of 3)" >&2
    [ "$attempt" -lt 3 ] && sleep 20
  done
  return 1
}
update || echo "apt-get update kept failing: installing from the indices fetched" >&2
if ! $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null; then
  sleep 20
  update || true
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi
