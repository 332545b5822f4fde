#pragma once
// The antenna table of the memory bank in use: one row per band, saying what
// to select when the operating frequency enters it. Loaded and changed by the
// bank functions and the key dispatch, read by the main loop: every access
// holds the table lock.
#include <array>
#include <cstdint>

#include "core/guarded.h"

namespace core {

inline constexpr int32_t kAntennaRows = 11;

struct AntennaRow {
    char name[8]{};
    int32_t start = 0, end = 0;  // Hz, both ends included
    uint8_t ampOn = 0;           // 1 the amplifier works on this band, 0 by-pass
    uint8_t antenna = 0;         // 1..3, 0 leaves the selection alone
    uint8_t tunerBypass = 0;     // 1 tuner by-passed, 0 the stored tune is recalled
    uint8_t attenuator = 0;      // 0..3
    float drivePower = 0;        // W to ask of the transceiver, 0 asks nothing
};

using AntennaRows = std::array<AntennaRow, kAntennaRows>;
using AntennaTable = Guarded<AntennaRows>;

}  // namespace core
