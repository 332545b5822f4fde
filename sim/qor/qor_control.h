#pragma once
// The transceiver emulator's control channel: one command line in, one reply
// line out, "ok ..." or "error ...":
//   freq HZ       receiver A's frequency (the operator changes band)
//   antenna N     the antenna input the radio reports, 0 (none) to 3
//   tx on|off     the operator keys the radio himself, or lets go
//   state         "ok frequency F tx 0|1 drive_mw D antenna A"
//   received      the commands received on the link, oldest first
//   lag           "ok lag_ms N": the longest a message waited to be read since the last ask
//   help          this list
#include <string>
#include <string_view>

#include "qor/qor_model.h"

namespace sim {

[[nodiscard]] std::string runQorCommand(QorModel& radio, std::string_view line);

}  // namespace sim
