#include "amp/startup_commands.h"

#include <cmath>

#include "core/amp_commands.h"
#include "core/record/amp_record.h"
#include "platform/log.h"

namespace amp {
namespace {

constexpr int32_t kMaxCounts = 4095;

int32_t countsFor(float limit, float k) {
    double counts = std::sqrt(static_cast<double>(limit) / static_cast<double>(k));
    return counts >= kMaxCounts + 1 || std::isnan(counts) ? kMaxCounts : static_cast<int32_t>(counts);
}

int32_t currentCounts(float amperes) {
    // 14.05 A is the full scale of the 12-bit current reading.
    double counts = static_cast<double>(amperes) * 4096 / 14.05;
    return counts >= kMaxCounts + 1 ? kMaxCounts : static_cast<int32_t>(counts);
}

}  // namespace

int32_t IncPNTIn_CMDLinear(int32_t code, core::AmpRecord& works) {
    works.cmdRing.push(code);
    return code;
}

void InitMicroCmd(core::AmpRecord& works) {
    platform::trace("Init CRT ... \n");
    for (int32_t code : {core::cmd::VersionQuery, core::cmd::EepromPage0, core::cmd::EepromPage1,
                         core::cmd::EepromPage2, core::cmd::EepromPage3, core::cmd::ProtectionOff})
        IncPNTIn_CMDLinear(code, works);
    works.thresholdRow = core::kThresholdsUnsent;
    SearchCambioSoglie_TS(works);
    works.fanSpeed = 100;
    works.fanSpeedActive = 100;
    for (int32_t code : {core::cmd::Fan, core::cmd::AntennaInput, core::cmd::SelectAntenna,
                         core::cmd::FrequencySensor, core::cmd::TuneWord, core::cmd::ProtectionParameters,
                         core::cmd::GenericMode, core::cmd::GeneralSettingsQuery, core::cmd::ClearProtections,
                         core::cmd::ReleaseMicro, core::cmd::Multiplier})
        IncPNTIn_CMDLinear(code, works);
}

void SearchCambioSoglie_TS(core::AmpRecord& works) {
    const auto& rows = works.bandConfig;
    uint32_t frequency = static_cast<uint32_t>(works.frequency.load());
    if (rows.empty() || frequency == 0) {
        if (works.thresholdRow == core::kThresholdsUnsent) {
            works.ampThresholds[0] = 4095;
            works.ampThresholds[1] = 4095;
            works.ampThresholds[2] = 1500;
            works.ampThresholds[3] = 3700;
            // Not a row number: the first band found later is always sent.
            works.thresholdRow = core::kThresholdsDefault;
            IncPNTIn_CMDLinear(core::cmd::Thresholds, works);
        }
        return;
    }
    for (size_t i = 0; i + 1 < rows.size(); ++i) {
        if (rows[i].startFrequency > frequency || frequency >= rows[i + 1].startFrequency) continue;
        if (static_cast<int32_t>(i) == works.thresholdRow) return;
        const core::BandConfigRow& row = rows[i];
        works.ampThresholds[0] = countsFor(row.limitPwrIn, row.kPwrIn);
        works.ampThresholds[1] = countsFor(row.limitFwd, row.kForw);
        works.ampThresholds[2] = countsFor(row.limitRefl, row.kRefl);
        works.ampThresholds[3] = currentCounts(row.limitCurrent);
        works.thresholdRow = static_cast<int32_t>(i);
        IncPNTIn_CMDLinear(core::cmd::Thresholds, works);
        return;
    }
}

}  // namespace amp
