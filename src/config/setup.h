#pragma once
// The setup file /opt/set/setup.txt: reading, saving, the temperature
// limits and the default values.

namespace core {
struct AmpRecord;
}  // namespace core

namespace config {

inline constexpr const char* kSetupPath = "/opt/set/setup.txt";

void initSetup(core::AmpRecord& works);
void readSetup(core::AmpRecord& works);
// False when the file could not be saved (the failure is logged).
bool writeSetup(core::AmpRecord& works);
void VerifyTemperature(core::AmpRecord& works);
// Every key back to its default with a new pass phrase, saved and read again;
// the temperature errors are cleared.
void resetSetupDefaults(core::AmpRecord& works);

}  // namespace config
