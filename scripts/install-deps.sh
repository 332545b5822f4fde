#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# asking apt only for those that are missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  googletest libgtest-dev libbenchmark-dev
  libpng-dev libfreetype-dev libusb-1.0-0-dev libasound2-dev libopus-dev libssl-dev libglib2.0-dev
  libfftw3-dev libhamlib-utils
  fonts-dejavu-core fonts-dejavu-extra fonts-paratype
  libcpp-httplib-dev socat netcat-openbsd procps
  chromium chromium-driver python3-selenium
)

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
