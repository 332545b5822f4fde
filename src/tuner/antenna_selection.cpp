#include "tuner/antenna_selection.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "amp/startup_commands.h"
#include "core/amp_commands.h"
#include "core/flag_bits.h"
#include "core/record/amp_record.h"
#include "platform/log.h"
#include "tuner/tune_index.h"
#include "tuner/tune_memory.h"

namespace tuner {
namespace {

constexpr int32_t kNoRow = 100;
// The auxiliary link sends the drive power request as four digits.
constexpr float kMaxDrivePower = 9999.0f;

struct DefaultRow {
    const char* name;
    int32_t start, end;
};

constexpr DefaultRow kDefaultRows[core::kAntennaRows] = {
    {"160m", 1800000, 2000000},  {"80m", 3500000, 4000000},   {"60m", 5330500, 5450000},
    {"40m", 7000000, 7300000},   {"30m", 10100000, 10150000}, {"20m", 14000000, 14350000},
    {"17m", 18068000, 18168000}, {"15m", 21000000, 21450000}, {"12m", 24890000, 24990000},
    {"10m", 28000000, 29700000}, {"6m", 50000000, 54000000},
};

struct FoundRow {
    int32_t index;
    core::AntennaRow row;
};

std::optional<FoundRow> rowOfFrequency(const core::AmpRecord& works, int32_t frequency) {
    const int32_t count = std::clamp(works.antennaRowCount.load(), 0, core::kAntennaRows);
    return works.antennaTable.with([&](const core::AntennaRows& rows) -> std::optional<FoundRow> {
        for (int32_t i = 0; i < count; ++i) {
            const core::AntennaRow& row = rows[static_cast<size_t>(i)];
            if (row.start <= frequency && frequency <= row.end) return FoundRow{i, row};
        }
        return std::nullopt;
    });
}

// Milliwatts rounded down to a multiple of 100; 0 asks nothing.
int32_t drivePowerRequest(float watts) {
    float milliwatts = watts * 1000.0f;
    if (!(milliwatts > 0.0f)) return 0;
    int32_t value = static_cast<int32_t>(std::min(milliwatts, kMaxDrivePower));
    return value / 100 * 100;
}

void applyDrivePower(core::AmpRecord& works, float watts) {
    int32_t power = drivePowerRequest(watts);
    platform::trace("ANTENNA TAB :  %i  %i\n", power, works.powerValue.load());
    if (power <= 0) return;
    works.powerValue = power;
    works.powerRequest |= core::powerRequest::Send;
    platform::trace("GO ANTENNA TAB :  %i  %i\n", power, works.powerValue.load());
}

void applyAmplifier(core::AmpRecord& works, const FoundRow& found) {
    const core::AntennaRow& row = found.row;
    if (row.ampOn == 1) {
        if (works.bypass == 1) amp::IncPNTIn_CMDLinear(core::cmd::LeaveBypass, works);
        platform::trace("---------------  ANTENNA AUTOMATICA: %i (set %i), %i (%i)\n",
                        works.attenuator.load(), works.attenuatorAmp.load(), row.attenuator, found.index);
        works.attenuatorKey = row.attenuator;
        if (works.attenuator != row.attenuator) {
            works.attenuator = row.attenuator;
            amp::IncPNTIn_CMDLinear(core::cmd::Attenuator, works);
        }
    } else if (row.ampOn == 0 && works.bypass != 1) {
        amp::IncPNTIn_CMDLinear(core::cmd::Bypass, works);
    }
}

}  // namespace

void InitTabAntenna(core::AmpRecord& works, int keep) {
    works.antennaTable.with([keep](core::AntennaRows& rows) {
        for (size_t i = 0; i < core::kAntennaRows; ++i) {
            core::AntennaRow& row = rows[i];
            std::fill(std::begin(row.name), std::end(row.name), '\0');
            std::string_view(kDefaultRows[i].name).copy(row.name, sizeof row.name - 1);
            row.start = kDefaultRows[i].start;
            row.end = kDefaultRows[i].end;
            if (keep == 0) {
                row.ampOn = 0;
                row.antenna = 1;
                row.tunerBypass = 1;
                row.attenuator = 0;
                row.drivePower = 0;
            }
        }
    });
    works.antennaRowCount = core::kAntennaRows;
}

void GestioneAntennaAutomatica(core::AmpRecord& works) {
    works.antennaRow = kNoRow;
    std::optional<FoundRow> found = rowOfFrequency(works, works.frequency);
    if (!found) return;
    works.antennaRow = found->index;
    const core::AntennaRow& row = found->row;
    // Only antennas that exist are selected: NumAntenna picks the tune memory table.
    if (row.antenna >= 1 && row.antenna <= core::kTuneAntennaCount && row.antenna != works.NumAntenna + 1) {
        works.NumAntenna = row.antenna - 1;
        amp::IncPNTIn_CMDLinear(core::cmd::SelectAntenna, works);
    }
    if (row.tunerBypass == 1)
        amp::IncPNTIn_CMDLinear(core::cmd::TunerBypass, works);
    else
        GestioneLoadTuneVal(works);
    applyDrivePower(works, row.drivePower);
    applyAmplifier(works, *found);
}

std::string bandNameOf(const core::AmpRecord& works, int32_t frequency) {
    const int32_t count = std::clamp(works.antennaRowCount.load(), 0, core::kAntennaRows);
    return works.antennaTable.with([&](const core::AntennaRows& rows) {
        for (int32_t i = count - 1; i >= 0; --i) {
            const core::AntennaRow& row = rows[static_cast<size_t>(i)];
            if (row.start <= frequency && frequency <= row.end)
                return std::string(row.name, std::find(std::begin(row.name), std::end(row.name), '\0'));
        }
        return std::string();
    });
}

void GestioneLoadTuneVal(core::AmpRecord& works) {
    if (works.tuneState != 0) return;
    AtuSegment segment;
    int32_t index = AtuIdxSearch(works.frequency, &segment);
    int32_t antenna = works.NumAntenna;
    // An antenna without a tune memory has nothing stored: it gets the default tune.
    bool stored = antenna >= 0 && antenna < core::kTuneAntennaCount &&
                  EsisteTuneValInTabRam(works, index, segment.firstIndex, segment.endIndex, antenna) == 0;
    amp::IncPNTIn_CMDLinear(stored ? core::cmd::RecallTune : core::cmd::DefaultTune, works);
}

}  // namespace tuner
