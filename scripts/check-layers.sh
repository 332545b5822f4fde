#!/usr/bin/env bash
# Fails when a file of one subsystem includes a header of a subsystem above
# it, or of a sibling: the layers only ever look down. Fails too when a
# subsystem other than platform and app names a concrete platform
# (platform/linux/, platform/sim/): the others reach the machine through the
# platform's interfaces, and app chooses the implementation. Fails too when a
# file declares something outside the namespace of its folder
# (check-namespaces.py).
set -euo pipefail
cd "$(dirname "$0")/../src"
rank() {
  case "$1" in
    platform) echo 0 ;; core) echo 1 ;; config) echo 2 ;; amp) echo 3 ;; tuner) echo 4 ;; ui) echo 5 ;;
    net) echo 6 ;; remote) echo 7 ;; radio) echo 8 ;; app) echo 9 ;; *) echo 99 ;;
  esac
}
faults=0
for folder in */; do
  layer="${folder%/}"
  while IFS=: read -r file line included; do
    [ "$included" = "$layer" ] && continue
    if [ "$(rank "$included")" -ge "$(rank "$layer")" ]; then
      echo "$file:$line includes a header of $included, which is not below $layer"
      faults=$((faults + 1))
    fi
  done < <(grep -rnoE '#include "[a-z]+/' "$layer" | sed -E 's|#include "([a-z]+)/|\1|')
done
for folder in */; do
  layer="${folder%/}"
  case "$layer" in platform | app) continue ;; esac
  while IFS=: read -r file line _; do
    echo "$file:$line includes a concrete platform, which only platform and app may"
    faults=$((faults + 1))
  done < <(grep -rnE '#include "platform/(linux|sim)/' "$layer" || true)
done
python3 ../scripts/check-namespaces.py . || faults=$((faults + 1))
[ "$faults" -eq 0 ] && echo "layers: every include looks down; only platform and app name a concrete platform;" \
  "every declaration is in the namespace of its folder"
exit $((faults > 0))
