#pragma once
// Turning the amplifier's raw readings into watts, SWR, degrees and volts.
#include <cstdint>

#include "core/record/amp_block.h"

namespace core {
struct AmpRecord;
}  // namespace core

namespace amp {

// Square law above the offset, the tangent line through zero below it.
[[nodiscard]] float CalcolaWatt(uint32_t offset, uint32_t counts, float k);

// Power coefficient of the band row that holds the working frequency, or
// of the nearest row when none holds it.
// Channels: 0 forward, 1 reflected, 2 input, 3 reflected-power correction.
[[nodiscard]] float SearchK(core::AmpRecord& works, int channel);

// Heat-sink temperature from a 12-bit reading of the 10 kOhm NTC divider;
// a reading out of the divider's range counts as hotter than the table.
[[nodiscard]] float CalcolaTemp(uint16_t counts);

// Value of one hex digit, 255 for anything else.
[[nodiscard]] uint8_t charToInt(char digit);

// Supply voltage from the panel controller's 8-bit reading.
[[nodiscard]] float CalvTensVadcAmp(const core::AmpBlock& amplifier, uint8_t adc);

// 0 without power, 100 for a total mismatch.
[[nodiscard]] float swrFromPowers(float forward, float reflected);

}  // namespace amp
