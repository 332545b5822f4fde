#include "amp/filter_select.h"

#include "amp/startup_commands.h"
#include "config/filter_files.h"
#include "core/amp_commands.h"
#include "core/record/amp_record.h"
#include "platform/log.h"

namespace amp {

uint8_t filterMaskFor(const core::FilterRows& rows, int32_t frequency) {
    for (size_t index = 0; index < rows.size(); ++index) {
        const core::FilterRow& row = rows[index];
        if (row.enabled == 1 && row.Fstart <= frequency && frequency <= row.Fstop)
            return static_cast<uint8_t>(1u << index);
    }
    return 0;
}

void SetFilterFromfreq(core::AmpRecord& works) {
    const core::FilterRows rows = works.filterTable.with([](const core::FilterRows& table) { return table; });
    const uint8_t mask = filterMaskFor(rows, works.frequency);
    if (mask == works.filterMask) return;
    works.filterMask = mask;
    IncPNTIn_CMDLinear(core::cmd::Filter, works);
    if (mask != 0)
        platform::trace(">>>>>>>>>>>>>>> SET FILTER: %i!!\n", __builtin_ctz(mask) + 1);
    else
        platform::trace(">>>>>>>>>>>>>>> SET NESSUN FILTER!!\n");
}

void EnDisFilter(core::AmpRecord& works, uint8_t value) {
    const int row = works.filterSel;
    if (row < 0 || row >= core::kFilterRows) return;
    works.filterTable.with(
        [row, value](core::FilterRows& table) { table[static_cast<size_t>(row)].enabled = value; });
    SetFilterFromfreq(works);
    config::SaveTabFiltri(works);
}

}  // namespace amp
