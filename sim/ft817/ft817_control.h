#pragma once
// The FT-817 emulator's control channel: one command line in, one reply line
// out. "freq HZ" tunes the radio, "state" reports it.
#include <string>
#include <string_view>

#include "ft817/ft817_model.h"

namespace sim {

[[nodiscard]] std::string runFt817Command(Ft817Model& radio, std::string_view line);

}  // namespace sim
