# Sourced by the station scripts. prepare_run_root ROOT gives a new simulated
# unit under ROOT the sample files of sim/station/ it lacks: a band table for
# a generic transceiver (the station follows the emulator's frequency counter,
# tuner in line on every band), fan tables, a band configuration, a receive
# filter table and a setup with tuning enabled, so that the first start logs
# no missing file and a tune can be tried at once. Files already there are left as they are.
prepare_run_root() {
  local root=$1 file
  mkdir -p "$root/opt/set"
  for file in antenna.txt ventola.txt ventolaSSB.txt ventolaDIG.txt config.txt filter.txt setup.txt; do
    [ -e "$root/opt/set/$file" ] || cp "sim/station/$file" "$root/opt/set/$file"
  done
}

# give_pass_phrase ROOT: the remote pass phrase of a new simulated unit, drawn
# as the unit's factory default draws one ("A" and six random letters or
# digits) and written into ROOT's setup file, so that the remote client can
# log in at once; an empty one would let nobody in.
give_pass_phrase() {
  local setup=$1/opt/set/setup.txt phrase
  phrase=$(mktemp -u AXXXXXX)
  if grep -q '^Passphrase:' "$setup"; then
    sed -i "s/^Passphrase:.*/Passphrase: $phrase/" "$setup"
  else
    sed -i "1i Passphrase: $phrase" "$setup"
  fi
}
