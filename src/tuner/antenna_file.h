#pragma once
// The antenna file of a memory bank: an optional interface header ("!Gen",
// "!Qor", "!817") and one line per band row
// "name start end ampOn antenna tunerBypass attenuator power".
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/record/antenna_table.h"

namespace tuner {

// "/opt/set/antenna_b<bank>.txt" for banks 1..19, else "/opt/set/antenna.txt".
[[nodiscard]] std::string antennaFilePath(int32_t bank);

struct AntennaFile {
    int32_t interfaceType = 1;  // 0 generic, 1 the maker's transceiver, 2 FT-817
    std::array<core::AntennaRow, core::kAntennaRows> rows{};
    int32_t rowCount = 0;
};

// Pure codec.
[[nodiscard]] AntennaFile parseAntennaFile(std::string_view text);
[[nodiscard]] std::string formatAntennaFile(int32_t interfaceType, const core::AntennaRow* rows,
                                            int32_t rowCount);

}  // namespace tuner
