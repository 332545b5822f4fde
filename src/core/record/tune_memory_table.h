#pragma once
// The tune memories in RAM: one table per antenna, indexed by the frequency
// index of the tune segments. The key dispatch, the main loop and the link
// thread all reach them, so every access holds the table lock.
#include <array>
#include <cstdint>

#include "core/guarded.h"

namespace core {

inline constexpr int32_t kTuneIndexCount = 5000;
inline constexpr int32_t kTuneAntennaCount = 3;

struct TuneMemRecord {
    uint8_t valid = 0;  // non-zero when a tune is stored
    uint8_t mode = 0;   // 1 "CL", 2 " LC", 3 by-pass, 0 none
    uint16_t L = 0;
    uint16_t C = 0;
};

using TuneTable = std::array<TuneMemRecord, kTuneIndexCount>;

struct TuneTables {
    std::array<TuneTable, kTuneAntennaCount> tables{};
    // The memory bank each table was loaded from: a table is only ever saved into its own bank's file.
    std::array<int32_t, kTuneAntennaCount> banks{};
};
using TuneMemory = Guarded<TuneTables>;

}  // namespace core
