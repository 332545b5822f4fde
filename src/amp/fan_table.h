#pragma once
// The fan tables: rows of temperature and fan percent, one table for each
// fan mode (normal, SSB, digital), read once at start.
#include <string_view>
#include <vector>

#include "core/record/band_config.h"

namespace core {
struct AmpRecord;
}  // namespace core

namespace amp {

inline constexpr int kFanTables = 3;
inline constexpr const char* kFanTablePaths[kFanTables] = {"/opt/set/ventola.txt", "/opt/set/ventolaSSB.txt",
                                                           "/opt/set/ventolaDIG.txt"};

// Every line that is neither blank nor begins with ';' is a row; the percent
// is truncated and kept between 0 and 100.
[[nodiscard]] std::vector<core::FanRow> parseFanTable(std::string_view text);

// Table 0 must be read first: a missing table 1 or 2 takes its rows.
void ReadVentolaFile(core::AmpRecord& works, int table);

}  // namespace amp
