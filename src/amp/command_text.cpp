#include "amp/command_text.h"

#include <cstdio>

namespace amp {
namespace {

constexpr int32_t kGeneralSettingsCommand = 35;
constexpr int32_t kMultiplierCommand = 42;
constexpr size_t kGeneralSettingsLength = 10;

template <typename... Values>
std::string format(const char* pattern, Values... values) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

CommandText make(const char* letters, std::string payload) { return {{letters[0], letters[1]}, std::move(payload)}; }

std::string tuneWordText(const core::Works& works) { return format("MT1%08X;", works.tuneValue.load()); }

}  // namespace

const char* attenuatorText(int value) {
    static const char* const kTexts[] = {"AT00;", "AT01;", "AT10;", "AT11;"};
    return kTexts[value & 3];
}

std::string generalSettingsFor(std::string settings, int32_t modeWorkIdx) {
    auto second = static_cast<unsigned char>(settings[1]);
    settings[1] = static_cast<char>(modeWorkIdx != 0 ? (second & ~2u) : (second | 2u));
    return settings;
}

const char* withheldReason(const core::Works& works, int32_t code) {
    if (code == kGeneralSettingsCommand && works.genSettings.get().size() != kGeneralSettingsLength)
        return "GS not sent: no complete general settings read\n";
    if (code == kMultiplierCommand && works.calMultiplier == 0.0)
        return "CM not sent: no calibration multiplier read\n";
    return nullptr;
}

std::optional<CommandText> commandText(const core::Works& works, int32_t code) {
    if (withheldReason(works, code)) return std::nullopt;
    switch (code) {
        case 0: return make("VS", "VSM;");
        case 1: return make("ST", "ST;");
        case 7: return make("SA", format("SA%d;", works.NumAntenna.load() + 1));
        case 8: return make("FM", "FM;");
        case 9: return make("FA", format("FA%011lu;", static_cast<unsigned long>(works.frequency.load())));
        case 10: return make("MT", "MT;");
        case 11:
        case 27:
        case 39:
        case 40:
        case 44: return make("MT", tuneWordText(works));
        case 12: return make("SF", format("FS%01d%04d;", works.FreqSensIn.load(), works.FreqPeriodTime.load() / 10));
        case 13: return make("CP", "CPFFFF;");
        case 14: return make("AT", attenuatorText(works.attenuator));
        case 15: return make("AT", attenuatorText(works.AttenuatorTune));
        case 16: return make("AT", "AT11;");
        case 17: return make("MP", "MP0;");
        case 18: return make("MP", "MP1;");
        case 19: return make("AB", "AB0;");
        case 20: return make("AB", "AB1;");
        case 21: return make("AN", format("AN%d;", works.antennaIn.load()));
        case 22:
            return make("TS", format("TS%04d%04d%04d%04d;", works.ampThresholds[0].load(), works.ampThresholds[1].load(),
                                     works.ampThresholds[2].load(), works.ampThresholds[3].load()));
        case 23:
            // Modes other than 1 and 2 run the fan as in the normal mode.
            return make("FN", format(works.FANmode == 1 || works.FANmode == 2 ? "FN2%03d;" : "FN1%03d;",
                                     works.fanSpeed.load()));
        case 24:
            return make("PS", format("PS%04d%04d%04d%04d;", works.PSpar1.load(), works.PSpar2.load(), works.PSpar3.load(),
                                     works.PSpar4.load()));
        case 28: return make("SF", format("SF30000%02x;", works.filterMask.load()));
        case 30: return make("MR", "MR1;");
        case 32: return make("MR", "MR0;");
        case 33: return make("GM", format("GM%04d%04d;", works.GMpar1.load(), works.GMpar2.load()));
        case 34: return make("GS", "GS;");
        case 35: return make("GS", "GS" + generalSettingsFor(works.genSettings.get(), works.ModeWorkIdx) + ";");
        case 36: return make("ER", "ER0000;");
        case 37: return make("ER", "ER0001;");
        case 38: return make("ER", "ER0002;");
        case 43: return make("ER", "ER0003;");
        case 41: return make("FN", format("FN1%03d;", works.fanSpeedCpu.load()));
        case 42: return make("CM", format("CM%01.09f;", works.calMultiplier.load()));
        default: return std::nullopt;
    }
}

}  // namespace amp
