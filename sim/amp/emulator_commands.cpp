#include "sim/amp/emulator_commands.h"

#include <cstdio>
#include <cstdlib>

#include "sim/amp/emulator_status.h"

namespace sim {
namespace {

// The n decimal digits at pos, or nothing when any is not a digit.
std::optional<unsigned long long> digits(std::string_view text, size_t pos, size_t n) {
    if (pos + n > text.size() || n == 0) return std::nullopt;
    unsigned long long value = 0;
    for (char c : text.substr(pos, n)) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

std::optional<unsigned long> hexDigits(std::string_view text, size_t pos, size_t n) {
    if (pos + n > text.size() || n == 0) return std::nullopt;
    unsigned long value = 0;
    for (char c : text.substr(pos, n)) {
        int nibble = c >= '0' && c <= '9'   ? c - '0'
                     : c >= 'A' && c <= 'F' ? c - 'A' + 10
                     : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                            : -1;
        if (nibble < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(nibble);
    }
    return value;
}

// The payload holds the two letters, `length` value characters and the ";".
bool shaped(std::string_view payload, size_t length) {
    return payload.size() == length + 3 && payload.back() == ';';
}

std::string refusal(std::string_view payload) {
    std::string letters;
    for (char c : payload.substr(0, 2)) letters += c == ';' ? '?' : c;
    letters.resize(2, '?');
    return letters + "?;";
}

// An EEPROM field as hexadecimal pairs, padded with zero bytes to its size.
std::string hexField(std::string_view text, size_t size) {
    std::string out;
    char pair[3];
    for (size_t i = 0; i < size; ++i) {
        unsigned char byte = i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
        std::snprintf(pair, sizeof pair, "%02X", byte);
        out += pair;
    }
    return out;
}

}  // namespace

std::optional<std::string> CommandHandler::handle(std::string_view payload) {
    if (heldInReset_) {
        if (payload != "MR0;") return std::nullopt;
        // Released from reset: the microcontroller starts again from power-on.
        heldInReset_ = false;
        settings_ = AmpSettings{};
        model_.clearLatches(core::ampProt::MicroReset);
        return "MR0;";
    }
    std::optional<std::string> reply = dispatch(payload);
    return reply ? reply : refusal(payload);
}

void CommandHandler::resetMicro() {
    settings_ = AmpSettings{};
    heldInReset_ = false;
    model_.markMicroReset();
}

std::string CommandHandler::frequencyReply() const {
    char text[32];
    std::snprintf(text, sizeof text, "FM%c%011lu;", model_.keyed() ? '1' : '0',
                  static_cast<unsigned long>(model_.keyedFrequency()));
    return text;
}

std::optional<std::string> CommandHandler::eepromPage(int page) const {
    std::string data;
    switch (page) {
        case 0: {
            char serial[32];
            std::snprintf(serial, sizeof serial, "EMU%03d-000001", identity_.ratedWatts);
            data = hexField(serial, 32);
            break;
        }
        case 1:
            data = hexField("Station simulator", 32);
            break;
        case 2: {
            std::string flags = {identity_.usaRegion ? '1' : '0', identity_.ratedWatts == 120 ? '1' : '0'};
            data = hexField(flags, 2) + hexField("HW0100", 6);
            break;
        }
        case 3:
            data = hexField(settings_.calMultiplier, 11);
            break;
        default:
            return std::nullopt;
    }
    return "ER000" + std::to_string(page) + data + ";";
}

std::optional<std::string> CommandHandler::dispatch(std::string_view p) {
    if (p.size() < 3 || p.back() != ';') return std::nullopt;
    std::string_view letters = p.substr(0, 2);
    auto& s = settings_;
    if (p == "VSM;") return std::string("VSM") + kFirmwareVersion + ";";
    if (p == "ST;") return statusPayload(model_.read(s), s);
    if (p == "FM;") return frequencyReply();
    if (p == "MT;") {
        char text[16];
        std::snprintf(text, sizeof text, "MT%08lX;", static_cast<unsigned long>(s.tuneValue));
        return text;
    }
    if (p == "GS;") return "GS" + s.genSettings + ";";
    if (letters == "SA" && shaped(p, 1)) {
        auto antenna = digits(p, 2, 1);
        if (!antenna || *antenna < 1 || *antenna > kAntennaCount) return std::nullopt;
        s.antenna = static_cast<int>(*antenna);
        return std::string(p);
    }
    if (letters == "FA" && shaped(p, 11)) {
        auto hz = digits(p, 2, 11);
        if (!hz || *hz > 0xFFFFFFFFull) return std::nullopt;
        s.frequency = static_cast<uint32_t>(*hz);
        return "FA;";
    }
    if (letters == "MT" && shaped(p, 9) && p[2] == '1') {
        auto word = hexDigits(p, 3, 8);
        if (!word) return std::nullopt;
        s.tuneValue = static_cast<uint32_t>(*word);
        s.tuner = tunerSettingFromWord(s.tuneValue);
        return "MT;";
    }
    if (letters == "FS" && shaped(p, 5)) {
        auto sensitivity = digits(p, 2, 1);
        auto period = digits(p, 3, 4);
        if (!sensitivity || !period) return std::nullopt;
        s.freqSensIn = static_cast<int>(*sensitivity);
        s.freqPeriod = static_cast<int>(*period);
        return "FS;";
    }
    if (letters == "CP" && shaped(p, 4)) {
        auto mask = hexDigits(p, 2, 4);
        if (!mask) return std::nullopt;
        model_.clearLatches(static_cast<uint8_t>(*mask & 0xFF));
        return "CP;";
    }
    if (letters == "AT" && shaped(p, 2)) {
        auto pad3 = digits(p, 2, 1);
        auto pad2 = digits(p, 3, 1);
        if (!pad3 || !pad2 || *pad3 > 1 || *pad2 > 1) return std::nullopt;
        s.pad3dB = *pad3 == 1;
        s.pad2dB = *pad2 == 1;
        return std::string(p);
    }
    if ((letters == "MP" || letters == "AB" || letters == "MR") && shaped(p, 1)) {
        auto on = digits(p, 2, 1);
        if (!on || *on > 1) return std::nullopt;
        if (letters == "MP") {
            s.protectionMode = *on == 1;
            return "MP;";
        }
        if (letters == "AB") {
            s.bypass = *on == 1;
        } else if (*on == 1) {
            heldInReset_ = true;
        } else {
            model_.clearLatches(core::ampProt::MicroReset);
        }
        return std::string(p);
    }
    if (letters == "AN" && shaped(p, 1)) {
        auto input = digits(p, 2, 1);
        if (!input) return std::nullopt;
        s.antennaIn = static_cast<int>(*input);
        return std::string(p);
    }
    if ((letters == "TS" || letters == "PS") && shaped(p, 16)) {
        std::array<int, 4> values{};
        for (size_t i = 0; i < values.size(); ++i) {
            auto value = digits(p, 2 + 4 * i, 4);
            if (!value) return std::nullopt;
            values[i] = static_cast<int>(*value);
        }
        (letters == "TS" ? s.thresholds : s.psPar) = values;
        return letters == "TS" ? "TS;" : "PS;";
    }
    if (letters == "FN" && shaped(p, 4)) {
        auto mode = digits(p, 2, 1);
        auto speed = digits(p, 3, 3);
        if (!mode || !speed || *mode < 1 || *mode > 2) return std::nullopt;
        s.fanMode = static_cast<int>(*mode);
        s.fanSpeed = static_cast<int>(*speed);
        return "FN;";
    }
    if (letters == "SF" && shaped(p, 7) && p.substr(2, 5) == "30000") {
        auto mask = hexDigits(p, 7, 2);
        if (!mask) return std::nullopt;
        s.filterMask = static_cast<int>(*mask);
        return "SF;";
    }
    if (letters == "GM" && shaped(p, 8)) {
        auto first = digits(p, 2, 4);
        auto second = digits(p, 6, 4);
        if (!first || !second) return std::nullopt;
        s.gmPar1 = static_cast<int>(*first);
        s.gmPar2 = static_cast<int>(*second);
        return "GM;";
    }
    if (letters == "GS" && shaped(p, 10)) {
        s.genSettings = std::string(p.substr(2, 10));
        return "GS" + s.genSettings + ";";
    }
    if (letters == "ER" && shaped(p, 4) && p.substr(2, 3) == "000") {
        auto page = digits(p, 5, 1);
        return page ? eepromPage(static_cast<int>(*page)) : std::nullopt;
    }
    if (letters == "CM") {
        std::string text(p.substr(2, p.size() - 3));
        char* end = nullptr;
        double value = std::strtod(text.c_str(), &end);
        // Kept as the 11-character text of EEPROM page 3, so below 10.
        if (text.empty() || text[0] < '0' || text[0] > '9' || end != text.c_str() + text.size() ||
            !(value > 0))
            return std::nullopt;
        char stored[32];
        std::snprintf(stored, sizeof stored, "%01.09f", value);
        if (std::string_view(stored).size() != 11) return std::nullopt;
        s.calMultiplier = stored;
        return "CM;";
    }
    return std::nullopt;
}

}  // namespace sim
