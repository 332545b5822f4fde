# Sourced by the station scripts. prepare_run_root ROOT gives a new simulated
# unit under ROOT the sample files of sim/station/ it lacks: a band table for
# a generic transceiver (the station follows the emulator's frequency counter,
# tuner in line on every band), fan tables, a band configuration, a receive
# filter table, network settings and a setup with tuning enabled, so that the first start logs
# no missing file and a tune can be tried at once. Files already there are left as they are.
prepare_run_root() {
  local root=$1 file
  mkdir -p "$root/opt/set"
  for file in antenna.txt ventola.txt ventolaSSB.txt ventolaDIG.txt config.txt filter.txt setup.txt interfaces; do
    [ -e "$root/opt/set/$file" ] || cp "sim/station/$file" "$root/opt/set/$file"
  done
}
