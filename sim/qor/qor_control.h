#pragma once
// The transceiver emulator's control channel: one command line in, one reply
// line out, "ok ..." or "error ...":
//   freq HZ       receiver A's frequency (the operator changes band)
//   antenna N     the antenna input the radio reports, 0 (none) to 3
//   tx on|off     the operator keys the radio himself, or lets go
//   fault <kind> [n]  the next n messages (default 1) carry a fault: cut
//                 (stops after its header and 5 data bytes), stray (a type
//                 byte before it), drop (not sent), garbage (random bytes of
//                 its length instead)
//   fault none    no more faults
//   state         "ok frequency F tx 0|1 drive_mw D antenna A fault K fault_left L"
//   received      the commands received on the link, oldest first
//   lag           "ok lag_ms N": the longest a message waited to be read since the last ask
//   help          this list
#include <string>
#include <string_view>

#include "sim/qor/qor_faults.h"
#include "sim/qor/qor_model.h"

namespace sim {

[[nodiscard]] std::string runQorCommand(QorModel& radio, QorFaults& faults, std::string_view line);

}  // namespace sim
