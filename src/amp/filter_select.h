#pragma once
// Which receive filter the amplifier puts in line for the operating frequency.
#include <cstdint>

#include "core/record/filter_table.h"

namespace core {
struct AmpRecord;
}  // namespace core

namespace amp {

// The mask of the first enabled row whose range holds the frequency (both
// ends included); 0 when none does.
[[nodiscard]] uint8_t filterMaskFor(const core::FilterRows& rows, int32_t frequency);
// Tells the amplifier the filter for `frequency` when it differs from the one in line.
void SetFilterFromfreq(core::AmpRecord& works);
// Sets the enable flag of the row filterSel, chooses the filter again and saves the table.
void EnDisFilter(core::AmpRecord& works, uint8_t value);

}  // namespace amp
