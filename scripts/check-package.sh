#!/usr/bin/env bash
# Installs the board's Debian package on a fresh Debian 12 armhf root, under
# emulation, and checks it: the program prints its version and its service
# unit passes systemd-analyze verify. The root is made once with debootstrap
# in build/armhf-root (about 300 MB; delete it to start afresh).
#
# Running armhf programs inside the root needs qemu-arm registered with the
# kernel (binfmt_misc). When it is not, this script registers it for its own
# run and removes the registration at the end; that is a change to the
# machine it runs on, so it asks first unless CHECK_PACKAGE_REGISTER=1.
#   bash scripts/check-package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "check-package.sh needs root (debootstrap, chroot)" >&2; exit 1; }
root=$PWD/build/armhf-root
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap qemu-user-static >/dev/null

bash scripts/armhf.sh unit --package
package=$(ls -t build/armhf/brisel_*_armhf.deb | head -n 1)

binfmt=/proc/sys/fs/binfmt_misc
registered=0
unregister() {
  if [ "$registered" = 1 ]; then echo -1 >"$binfmt/qemu-arm-check"; fi
  for point in proc dev; do
    if mountpoint -q "$root/$point"; then umount -l "$root/$point"; fi
  done
}
trap unregister EXIT
if ! grep -qs '^interpreter /usr/libexec/qemu-binfmt/arm-binfmt-P\|^interpreter /usr/bin/qemu-arm' "$binfmt"/* ; then
  if [ "${CHECK_PACKAGE_REGISTER:-}" != 1 ]; then
    read -r -p "Register qemu-arm with this machine's kernel for this run? [y/N] " answer
    [ "$answer" = y ] || exit 1
  fi
  mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt"
  # The ELF header of a 32-bit little-endian ARM executable, as Debian's qemu-user-static registers it.
  echo ':qemu-arm-check:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x28\x00:\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-arm-static:F' \
    >"$binfmt/register"
  registered=1
fi

if [ ! -x "$root/usr/bin/dpkg" ] || [ ! -e "$root/etc/brisel-root-ready" ]; then
  rm -rf "$root"
  debootstrap --arch=armhf --foreign --variant=minbase --include=systemd,ca-certificates bookworm "$root" \
    http://deb.debian.org/debian
  chroot "$root" /debootstrap/debootstrap --second-stage
  touch "$root/etc/brisel-root-ready"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
cp "$package" "$root/tmp/"
# A unit's own settings, which neither installing nor removing may touch.
mkdir -p "$root/opt/set"
printf 'TcpPort=7777\n' >"$root/opt/set/setup.txt"
settings_before=$(cd "$root/opt/set" && ls -l --time-style=+%s . && md5sum setup.txt)
chroot "$root" apt-get update -qq
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "/tmp/$(basename "$package")"
echo "== installed"
chroot "$root" dpkg -s brisel | grep -E '^(Package|Version|Architecture|Depends):'
echo "== brisel --version"
chroot "$root" /usr/bin/brisel --version
echo "== systemd-analyze verify brisel.service"
chroot "$root" systemd-analyze verify brisel.service
chroot "$root" ls -l /opt/fonts /etc/systemd/system/multi-user.target.wants/brisel.service
echo "== apt-get purge brisel"
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq brisel
[ ! -e "$root/opt/fonts" ] || { echo "the font links are left after the purge" >&2; exit 1; }
[ "$(cd "$root/opt/set" && ls -l --time-style=+%s . && md5sum setup.txt)" = "$settings_before" ] ||
  { echo "/opt/set changed" >&2; exit 1; }
echo "package check passed: $(basename "$package"), $(stat -c %s "$package") bytes; /opt/set untouched"
