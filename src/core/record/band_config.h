#pragma once
// One row of the band configuration: calibration and alarm thresholds of a
// frequency segment that runs up to the next row's start frequency.
#include <cstdint>

namespace core {

struct BandConfigRow {
    uint32_t startFrequency = 0;
    uint32_t secondFrequency = 0;
    float kForw = 0, kRefl = 0, kPwrIn = 0;  // power = k * counts^2
    float reflCorrection = 0;
    float limitPwrIn = 0, limitCurrent = 0, limitRefl = 0, limitFwd = 0;  // W, A, W, W
    int32_t kept[11]{};                                                   // columns the system does not use
};

// One row of a fan table: from this temperature up, the fan runs at this speed.
struct FanRow {
    float temperature = 0;
    int32_t percent = 0;
};

}  // namespace core
