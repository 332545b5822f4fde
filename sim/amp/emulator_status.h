#pragma once
// The "ST" status reply: four status digits, the ADC readings as four
// decimal digits each, and the protection bits, laid out at the payload
// positions the controller's decoder reads.
#include <string>

#include "sim/amp/emulator_model.h"
#include "sim/amp/emulator_settings.h"

namespace sim {

// Position 2: bit 3 the 3 dB pad, bit 2 the 2 dB pad, bit 0 a separate
// receive antenna input in use.
[[nodiscard]] int statusDigit0(const AmpSettings& settings);
// Position 3: bit 0 transmitting, bit 1 SWR alarm, bit 2 protection, bit 3 by-pass.
[[nodiscard]] int statusDigit(const ModelReadings& readings);
// Position 30: bit 3 the carrier is present, whether or not the stage is in line.
[[nodiscard]] int statusDigit3(const ModelReadings& readings);

[[nodiscard]] std::string statusPayload(const ModelReadings& readings, const AmpSettings& settings);

}  // namespace sim
