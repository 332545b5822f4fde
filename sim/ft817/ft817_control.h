#pragma once
// The FT-817 emulator's control channel: one command line in, one reply line
// out, "ok ..." or "error ...":
//   freq HZ        tunes the radio (1 to 999999999)
//   fault <kind> [n]  the next n replies (default 1) carry a fault: stray (a
//                  zero byte before the reply), late (its last two bytes 2 s
//                  late), drop (none sent), garbage (2 to 9 random bytes
//                  instead)
//   fault none     no more faults
//   state          "ok frequency F vfo A|B mode M tx 0|1 polls N fault K fault_left L"
//   help           this list
#include <string>
#include <string_view>

#include "sim/ft817/ft817_faults.h"
#include "sim/ft817/ft817_model.h"

namespace sim {

[[nodiscard]] std::string runFt817Command(Ft817Model& radio, Ft817Faults& faults, std::string_view line);

}  // namespace sim
