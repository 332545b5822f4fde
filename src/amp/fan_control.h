#pragma once
// Fan speed from the heat-sink temperatures and the fan table of the fan
// mode; when the table asks for no fan, a second rule keyed to the board's
// CPU temperature. Runs on the link thread after every status reply.
#include <cstdint>
#include <vector>

#include "core/record/band_config.h"

namespace core {
struct AmpRecord;
}  // namespace core

namespace amp {

// Chooses the fan speeds and queues the fan commands that change them.
void searchPercentVentola(core::AmpRecord& works);

// The temperature of the first row with this percent; 0 when no row has it.
[[nodiscard]] float SearchTemperatureFromVentola(int32_t speed, const std::vector<core::FanRow>& table);

}  // namespace amp
