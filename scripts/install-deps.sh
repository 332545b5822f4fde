#!/usr/bin/env bash
# Installs the Debian packages that one use of the tree needs, asking apt
# only for those that are missing:
#   run   building and running the station and its simulator (run.sh)
#   test  that, and what the tests, the benchmarks and the format check need
#         (check.sh); the default
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

case ${1:-test} in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: bash scripts/install-deps.sh [run|test]" >&2; exit 2 ;;
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
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
