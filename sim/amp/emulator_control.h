#pragma once
// The emulator's control channel: one text command line in, one reply line
// out, "ok ..." or "error ...". The commands are listed in emulator_control.cpp.
#include <string>
#include <string_view>

#include "sim/amp/emulator.h"

namespace sim {

[[nodiscard]] std::string runControlCommand(Emulator& emulator, std::string_view line,
                                            Emulator::Clock::time_point now);

}  // namespace sim
