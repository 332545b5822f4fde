# Sourced by the station scripts. prepare_run_root ROOT gives a new simulated
# unit under ROOT the sample files of sim/station/ it lacks: a band table for
# a generic transceiver (the station follows the emulator's frequency counter,
# tuner in line on every band), fan tables, a band configuration, a receive
# filter table, network settings and a setup with tuning enabled, so that the first start logs
# no missing file and a tune can be tried at once. Files already there are left as they are.
prepare_run_root() {
  local root=$1 file bank
  mkdir -p "$root/opt/set"
  for file in antenna.txt ventola.txt ventolaSSB.txt ventolaDIG.txt config.txt filter.txt setup.txt interfaces; do
    [ -e "$root/opt/set/$file" ] || cp "sim/station/$file" "$root/opt/set/$file"
  done
  # The band table is every bank's that the sample setup cycles through: a bank
  # without a file of its own starts on the maker's transceiver, in standby on every band.
  for bank in 1 2; do
    [ -e "$root/opt/set/antenna_b$bank.txt" ] || cp sim/station/antenna.txt "$root/opt/set/antenna_b$bank.txt"
  done
}

# match_banks_to_radio ROOT RADIO puts the band table of every bank of ROOT on
# the run's transceiver: with RADIO qor the first line becomes "!Qor", with
# ft817 "!817". Without one, a table left at "!Qor" goes back to "!Gen" (a
# station would otherwise wait for a radio that is not there), and so does
# one at "!817" when an earlier run put it there (ROOT/run.radio says so); a
# table of the user's own naming the FT-817 is kept.
match_banks_to_radio() {
  local root=$1 radio=$2 file previous=""
  [ -e "$root/run.radio" ] && previous=$(cat "$root/run.radio")
  for file in "$root"/opt/set/antenna.txt "$root"/opt/set/antenna_b*.txt; do
    [ -e "$file" ] || continue
    case $radio in
      qor) sed -i '1s/^!.*/!Qor/' "$file" ;;
      ft817) sed -i '1s/^!.*/!817/' "$file" ;;
      *)
        sed -i '1s/^!Qor.*/!Gen/' "$file"
        [ "$previous" = ft817 ] && sed -i '1s/^!817.*/!Gen/' "$file" ;;
    esac
  done
  if [ -n "$radio" ]; then echo "$radio" > "$root/run.radio"; else rm -f "$root/run.radio"; fi
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
