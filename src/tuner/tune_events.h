#pragma once
// The lines a person reads about the automatic tune: how it started and how
// it ended, once each.

namespace core {
struct AmpRecord;
}  // namespace core

namespace tuner {

enum class TuneOrigin { Panel, Transmission };

// Why a search ended, as the one who ended it knows; Finished leaves the
// result to tell (stored, or why not).
enum class TuneExit { Finished, StoppedByUser, TimeOut, TransmissionEnded, NoCarrier };

// After StartAutotune: the search that runs, or, for the panel, why none does.
void logTuneStarted(const core::AmpRecord& works, TuneOrigin origin);
// The tune key refused before any start.
void logTuneRefused(const char* why);
// stored: the best tune went into the tune memory.
void logTuneEnded(const core::AmpRecord& works, TuneExit why, bool stored);

}  // namespace tuner
