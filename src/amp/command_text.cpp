#include "amp/command_text.h"

#include <algorithm>
#include <cstdio>

#include "core/amp_commands.h"
#include "core/record/amp_record.h"

namespace amp {
namespace {

constexpr size_t kGeneralSettingsLength = 10;
// Of the second character of the general settings.
constexpr unsigned kGenericModeBit = 1u << 1;

// A number as a field of this many digits holds it: the values come from
// settings files and would otherwise lengthen the command or give it a sign.
int32_t inField(int32_t value, int digits) {
    int32_t largest = 9;
    while (--digits > 0) largest = largest * 10 + 9;
    return std::clamp(value, 0, largest);
}

template <typename... Values>
std::string format(const char* pattern, Values... values) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

CommandText make(const char* letters, std::string payload) {
    return {{letters[0], letters[1]}, std::move(payload)};
}

std::string tuneWordText(const core::AmpRecord& works) {
    return format("MT1%08X;", works.tuneValue.load());
}

}  // namespace

const char* attenuatorText(int value) {
    static const char* const kTexts[] = {"AT00;", "AT01;", "AT10;", "AT11;"};
    return kTexts[value & 3];
}

std::string generalSettingsFor(std::string settings, int32_t modeWorkIdx) {
    auto second = static_cast<unsigned char>(settings[1]);
    settings[1] =
        static_cast<char>(modeWorkIdx != 0 ? (second & ~kGenericModeBit) : (second | kGenericModeBit));
    return settings;
}

const char* withheldReason(const core::AmpRecord& works, int32_t code) {
    if (code == core::cmd::GeneralSettings && works.genSettings.get().size() != kGeneralSettingsLength)
        return "GS not sent: no complete general settings read\n";
    if (code == core::cmd::Multiplier && works.calMultiplier == 0.0)
        return "CM not sent: no calibration multiplier read\n";
    return nullptr;
}

std::optional<CommandText> commandText(const core::AmpRecord& works, int32_t code) {
    if (withheldReason(works, code)) return std::nullopt;
    switch (code) {
        case core::cmd::VersionQuery:
            return make("VS", "VSM;");
        case core::cmd::Status:
            return make("ST", "ST;");
        case core::cmd::SelectAntenna:
            return make("SA", format("SA%d;", works.NumAntenna.load() + 1));
        case core::cmd::FrequencyPoll:
            return make("FM", "FM;");
        case core::cmd::Frequency:
            return make("FA", format("FA%011lu;", static_cast<unsigned long>(works.frequency.load())));
        case core::cmd::TuneWordQuery:
            return make("MT", "MT;");
        case core::cmd::TuneWord:
        case core::cmd::RecallTune:
        case core::cmd::TunerBypassKeep:
        case core::cmd::DefaultTune:
        case core::cmd::TunerBypass:
            return make("MT", tuneWordText(works));
        case core::cmd::FrequencySensor:
            return make("SF", format("FS%01d%04d;", inField(works.FreqSensIn, 1),
                                     inField(works.FreqPeriodTime / 10, 4)));
        case core::cmd::ClearProtections:
            return make("CP", "CPFFFF;");
        case core::cmd::Attenuator:
            return make("AT", attenuatorText(works.attenuator));
        case core::cmd::TuneAttenuator:
            return make("AT", attenuatorText(works.AttenuatorTune));
        case core::cmd::PadsIn:
            return make("AT", "AT11;");
        case core::cmd::ProtectionOff:
            return make("MP", "MP0;");
        case core::cmd::ProtectionOn:
            return make("MP", "MP1;");
        case core::cmd::LeaveBypass:
            return make("AB", "AB0;");
        case core::cmd::Bypass:
            return make("AB", "AB1;");
        case core::cmd::AntennaInput:
            return make("AN", format("AN%d;", works.antennaIn.load()));
        case core::cmd::Thresholds:
            return make("TS", format("TS%04d%04d%04d%04d;", inField(works.ampThresholds[0], 4),
                                     inField(works.ampThresholds[1], 4), inField(works.ampThresholds[2], 4),
                                     inField(works.ampThresholds[3], 4)));
        case core::cmd::Fan:
            // Modes other than 1 and 2 run the fan as in the normal mode.
            return make("FN", format(works.FANmode == 1 || works.FANmode == 2 ? "FN2%03d;" : "FN1%03d;",
                                     inField(works.fanSpeed, 3)));
        case core::cmd::ProtectionParameters:
            return make("PS",
                        format("PS%04d%04d%04d%04d;", inField(works.PSpar1, 4), inField(works.PSpar2, 4),
                               inField(works.PSpar3, 4), inField(works.PSpar4, 4)));
        case core::cmd::Filter:
            return make("SF", format("SF30000%02x;", works.filterMask.load()));
        case core::cmd::HoldMicro:
            return make("MR", "MR1;");
        case core::cmd::ReleaseMicro:
            return make("MR", "MR0;");
        case core::cmd::GenericMode:
            return make("GM", format("GM%04d%04d;", inField(works.GMpar1, 4), inField(works.GMpar2, 4)));
        case core::cmd::GeneralSettingsQuery:
            return make("GS", "GS;");
        case core::cmd::GeneralSettings:
            return make("GS", "GS" + generalSettingsFor(works.genSettings.get(), works.ModeWorkIdx) + ";");
        case core::cmd::EepromPage0:
            return make("ER", "ER0000;");
        case core::cmd::EepromPage1:
            return make("ER", "ER0001;");
        case core::cmd::EepromPage2:
            return make("ER", "ER0002;");
        case core::cmd::EepromPage3:
            return make("ER", "ER0003;");
        case core::cmd::CpuFan:
            return make("FN", format("FN1%03d;", works.fanSpeedCpu.load()));
        case core::cmd::Multiplier:
            return make("CM", format("CM%01.09f;", works.calMultiplier.load()));
        default:
            return std::nullopt;
    }
}

}  // namespace amp
