#pragma once
// The band configuration /opt/set/config.txt: per frequency segment the
// power-meter calibration and the alarm thresholds. The calibration
// coefficients fold in the ADC offsets, so the offsets are read first.
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/record/band_config.h"

namespace core {
struct AmpRecord;
}  // namespace core

namespace config {

inline constexpr const char* kBandConfigPath = "/opt/set/config.txt";

struct AdcOffsets {
    int32_t pwrIn = 0, forw = 0, refl = 0;
};

// One data line: the record, and the input-power columns 7 and 8 that only
// the trace shows.
struct BandConfigLine {
    core::BandConfigRow row;
    float inputGain = 0, inputOffset = 0;
};

// Every line that is neither blank nor begins with ';' is a data line.
[[nodiscard]] std::vector<BandConfigLine> parseBandConfig(std::string_view text, const AdcOffsets& offsets);

void ReadConfigFile(core::AmpRecord& works);

}  // namespace config
