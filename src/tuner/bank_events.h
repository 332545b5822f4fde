#pragma once
// The lines a person reads about the station's set-up: the band the
// frequency entered, with what it selected, and the memory bank in use.

namespace core {
struct AmpRecord;
}  // namespace core

namespace tuner {

// After the antenna table was applied: one line when the band (or the bank
// whose row applies) differs from the one told last. Main loop only.
void logBandChange(core::AmpRecord& works);
// After a bank change or a change of the bank's interface type.
void logBankChange(const core::AmpRecord& works);
void logInterfaceChange(const core::AmpRecord& works);

}  // namespace tuner
