#pragma once
// The evaluations of the tune search, each taking the reading of the setting
// sent last, and the waits for the transceiver's carrier.
#include <cstdint>

namespace core {
struct AmpRecord;
}  // namespace core

namespace tuner {

// Step that ends a search from its last phase.
inline constexpr int32_t kStepEnd = 211;

// Coarse evaluation: best, history, coarse table; ends at the SWR target. 1 when the search ended.
int TuneStep(core::AmpRecord& works);
// Fine evaluation keeping the best; ends at the target or, without one above 1.0, at 1.1.
int TuneStepComplete(core::AmpRecord& works);
// Fine evaluation keeping best and history; the same target as TuneStepComplete.
int TuneStepCompleteFine(core::AmpRecord& works);
// Waits for the maker's transceiver to transmit (other transceivers at once).
void WaitTune1(core::AmpRecord& works);
// Waits for three readings with drive; gives up after 30.
void WaitTune2(core::AmpRecord& works);
// Stops the search when the maker's transceiver stopped transmitting.
void VerifyStopAutotune(core::AmpRecord& works);

}  // namespace tuner
