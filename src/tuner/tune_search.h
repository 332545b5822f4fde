#pragma once
// The automatic tune search: one step per status reply on the link thread,
// a complete search (coarse scan, fine searches around the best coarse
// results) or a fine search alone, ended by the SWR target, the step budget
// or the user.
#include <cstdint>

#include "tuner/tune_events.h"

namespace core {
struct AmpRecord;
}  // namespace core

namespace tuner {

// Steps of the budget by AutoTuneMaxCicli, and their menu labels.
inline constexpr int32_t SWRTimeoutCICLI[5] = {600, 400, 300, 200, 100};
inline constexpr const char* SWRTimeout[5] = {"25sec", "20sec", "15sec", "10sec", "5sec"};

// A search whose best SWR is above this stores nothing.
inline constexpr float kMaxStoredSwr = 6.0f;

// One step of the search; nothing while the start commands are still going out
// or once the search was stopped.
void TuneTask(core::AmpRecord& works);
// Ends a running search once, whichever thread calls first; store 1 saves the best
// tune when it is acceptable. A search that measured nothing gives back the word it started from.
// why: what the log tells of the end.
void EscAutoTune(core::AmpRecord& works, int store, TuneExit why = TuneExit::Finished);
// The tune key: starts a search, or stops a running one without storing.
void GoTune(core::AmpRecord& works);
// Starts a search (fine or complete by tuneFine), unless the tuner is in by-pass.
void StartAutotune(core::AmpRecord& works);

}  // namespace tuner
