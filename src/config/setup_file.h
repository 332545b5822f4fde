#pragma once
// The text of /opt/set/setup.txt: one "Key: value" line per setting, in a
// fixed order. Turns that text into the setup record and the typed fields of
// works and back; no file is touched here.
#include <string>
#include <string_view>

#include "core/record/setup_record.h"

namespace core {
struct AmpRecord;
}  // namespace core

namespace config {

// The texts initSetup puts in every slot before a file is read.
void resetSetupRecord(core::SetupRecord& setup);
// Fills the slots and fields from the lines of the file that name a key.
void parseSetup(std::string_view text, core::AmpRecord& works);
// Refreshes the slots from the fields and returns the whole file.
[[nodiscard]] std::string formatSetup(core::AmpRecord& works);
// Announces every value to the system log after a read.
void logSetup(core::AmpRecord& works);

}  // namespace config
