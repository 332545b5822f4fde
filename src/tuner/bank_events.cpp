#include "tuner/bank_events.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "core/record/amp_record.h"
#include "platform/log.h"

namespace tuner {
namespace {

double megahertz(int32_t hertz) {
    return static_cast<double>(hertz) / 1e6;
}

const char* interfaceName(int32_t type) {
    static constexpr const char* kNames[] = {"Generic", "VYXQOR", "FT-817"};
    return type >= 0 && type <= 2 ? kNames[type] : "unknown";
}

std::optional<core::AntennaRow> rowAt(const core::AmpRecord& works, int32_t index) {
    if (index < 0 || index >= std::min(works.antennaRowCount.load(), core::kAntennaRows)) return std::nullopt;
    return works.antennaTable.with(
        [index](const core::AntennaRows& rows) { return rows[static_cast<size_t>(index)]; });
}

}  // namespace

void logBandChange(core::AmpRecord& works) {
    const int32_t frequency = works.frequency;
    const int32_t bank = works.NumBanco;
    const int32_t index = works.antennaRow;
    // No frequency yet (a counter that has not measured one) is no band to tell of.
    if (frequency <= 0 || (bank == works.bandLoggedBank && index == works.bandLoggedRow)) return;
    works.bandLoggedBank = bank;
    works.bandLoggedRow = index;
    const std::optional<core::AntennaRow> row = rowAt(works, index);
    if (!row) {
        platform::event("band none: %.6f MHz is in no band of bank %d", megahertz(frequency), bank);
        return;
    }
    const uint8_t filters = works.filterMask;
    char filter[16] = "no filter";
    if (filters != 0) std::snprintf(filter, sizeof filter, "filter %d", __builtin_ctz(filters) + 1);
    platform::event("band %.*s: %.6f MHz, %s, antenna %d, tuner %s, amplifier %s",
                    static_cast<int>(std::find(std::begin(row->name), std::end(row->name), '\0') - row->name),
                    row->name, megahertz(frequency), filter, works.NumAntenna + 1,
                    row->tunerBypass == 1 ? "by-passed" : "in line", row->ampOn == 1 ? "on" : "StdBy");
}

void logBankChange(const core::AmpRecord& works) {
    platform::event("bank %d: interface %s", works.NumBanco.load(), interfaceName(works.ModeWorkIdx));
}

void logInterfaceChange(const core::AmpRecord& works) {
    platform::event("bank %d: interface changed to %s", works.NumBanco.load(),
                    interfaceName(works.ModeWorkIdx));
}

}  // namespace tuner
