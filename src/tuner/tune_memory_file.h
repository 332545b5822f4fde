#pragma once
// The tune memory files under /opt/set, one per antenna and bank: one line
// "index frequency valid mode L C" per stored tune, ";" starts a comment.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/record/tune_memory_table.h"

namespace core {
struct AmpRecord;
}  // namespace core

namespace tuner {

// "/opt/set/atu_ant<antenna + 1>_b<bank>.txt" for banks 1..19, else "/opt/set/atu_ant<antenna + 1>.txt".
[[nodiscard]] std::string tuneMemoryPath(int32_t bank, int32_t antenna);

// Pure codec. The table is cleared first; bad indices are reported and skipped.
void parseTuneMemory(std::string_view text, core::TuneTable& table);
[[nodiscard]] std::string formatTuneMemory(const core::TuneTable& table);

// Loading marks the table as the bank's; saving refuses a table loaded from another bank.
void LoadTabAtu(core::AmpRecord& works, int32_t bank, int32_t antenna);
void SaveTabAtu(core::AmpRecord& works, int32_t bank, int32_t antenna);
// True when the antenna's table was loaded from this bank; logs the refusal otherwise.
[[nodiscard]] bool holdsBank(const core::TuneTables& memory, int32_t bank, int32_t antenna);

}  // namespace tuner
