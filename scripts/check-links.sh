#!/usr/bin/env bash
# Fails when a layer's library uses a symbol that only a layer above it
# defines. The static libraries would still link into the program, so a call
# upwards is caught here. Arguments: the layers' archives, lowest first.
set -euo pipefail
archives=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# What each archive defines (templates and inline functions included) and uses.
for i in "${!archives[@]}"; do
  nm --defined-only --extern-only "${archives[i]}" | awk 'NF == 3 { print $3 }' | sort -u >"$work/defined.$i"
  nm --undefined-only --extern-only "${archives[i]}" | awk '{ print $NF }' | sort -u >"$work/used.$i"
done
faults=0
for i in "${!archives[@]}"; do
  for ((j = 0; j <= i; j++)); do cat "$work/defined.$j"; done | sort -u >"$work/below"
  comm -23 "$work/used.$i" "$work/below" >"$work/wanted"
  for ((j = i + 1; j < ${#archives[@]}; j++)); do
    while read -r symbol; do
      echo "$(basename "${archives[i]}") uses $(c++filt "$symbol"), defined above it in $(basename "${archives[j]}")"
      faults=$((faults + 1))
    done < <(comm -12 "$work/wanted" "$work/defined.$j")
  done
done
[ "$faults" -eq 0 ] && echo "layers: no library uses a symbol that only a library above it defines"
exit $((faults > 0))
