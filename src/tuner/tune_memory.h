#pragma once
// Storing and recalling tunes in the per-antenna tables in RAM.
#include <cstdint>

#include "core/record/tune_memory_table.h"

namespace core {
struct AmpRecord;
}  // namespace core

namespace tuner {

// Indices outside the table and antennas outside 0..2 are ignored.
void SaveTuneValsuTabRam(const core::TuneMemRecord& record, uint16_t c, int32_t index, int32_t antenna,
                         core::AmpRecord& works);
// An empty record for indices outside the table; a stored by-pass (3) reads as "CL" (1).
[[nodiscard]] core::TuneMemRecord LoadTuneValFromTabRam(int32_t index, int32_t antenna,
                                                        const core::AmpRecord& works);
// The nearest valid record in [from, to), ties to the lower index; -1 for none.
[[nodiscard]] int32_t SearchBestTune(const core::AmpRecord& works, int32_t index, int32_t from, int32_t to,
                                     int32_t antenna);
// 1 when no tune is stored at the index nor anywhere in [from, to).
[[nodiscard]] int EsisteTuneValInTabRam(const core::AmpRecord& works, int32_t index, int32_t from, int32_t to,
                                        int32_t antenna);
// The stored tune nearest to `frequency` into tuneValue; the caller holds the tune lock.
void LoadTuneFromMEM(core::AmpRecord& works, int32_t antenna);
// tuneValue stored at the index of `frequency`, and the antenna's file rewritten;
// false when no memory of the bank and antenna covers the frequency.
bool InsertTuneToMem(core::AmpRecord& works, int32_t bank, int32_t antenna);

}  // namespace tuner
