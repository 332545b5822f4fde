#pragma once
// The records of the automatic tune search: the best setting so far, the
// history of the last settings, the coarse table and the fine results, and
// how a record is put back on the tuner.
#include "core/record/tune_search_state.h"

namespace core {
struct AmpRecord;
}  // namespace core

namespace tuner {

inline constexpr int32_t kMaxTuneIndex = 511;

// {swr, powerFwd, tuneL, tuneC, tuneValue} of the setting sent last.
[[nodiscard]] core::TuneRecord presentMeasurement(const core::AmpRecord& works);
// tuneValue, tuneC, tuneL (and tuneMode from the word) from the record.
void applyTuneRecord(core::AmpRecord& works, const core::TuneRecord& record);
// The capacitor or inductor index into the word and into tuneC/tuneL.
void setTuneC(core::AmpRecord& works, int32_t c);
void setTuneL(core::AmpRecord& works, int32_t l);
// A reading (SWR above 0) lower than the best; a best without a reading yields to any reading.
[[nodiscard]] bool betterThan(const core::TuneRecord& record, const core::TuneRecord& best);
// " B " for the "CL" network, " A " for " LC", nothing for by-pass.
[[nodiscard]] const char* networkTag(uint32_t tuneValue);

// Everything cleared and tuneBestSwr 0: the start of a complete search.
void Clr_vTuneParam(core::AmpRecord& works);
// History cleared; the present measurement becomes the best and the start record.
void Clr_vTuneParam_fast(core::AmpRecord& works);
// tuneParam into the best (when lower) and at the head of the history.
void CtrlNuovoTune(core::TuneSearchState& state);
// tuneParam into its coarse row (by the lowest set bit of L and the network mode) when lower.
void TuneTableSearchL(core::TuneSearchState& state);
// Coarse table by SWR, ascending; equal rows keep their order.
void SortTuneTab(core::TuneSearchState& state);
// Fine results by SWR, ascending, each coarse row moving with its fine result.
void SortTuneTab2(core::TuneSearchState& state);
void StampaTuneTabL(const core::TuneSearchState& state);
// The best record becomes tuneParam and is applied, with its SWR and power.
void TuneEnd(core::AmpRecord& works);

}  // namespace tuner
