#include "amp/reply_decoder.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "amp/measurements.h"
#include "amp/next_command.h"
#include "amp/status_reply.h"
#include "config/info_file.h"
#include "core/amp_commands.h"
#include "core/flag_bits.h"
#include "core/record/amp_record.h"
#include "platform/clock.h"
#include "platform/log.h"

namespace amp {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kReplyPause{20};
constexpr milliseconds kStatusPause{10};

// Characters from position on, at most count of them, never past the ";".
std::string_view field(std::string_view payload, size_t position, size_t count) {
    if (position >= payload.size()) return {};
    std::string_view text = payload.substr(position, count);
    return text.substr(0, text.find(';'));
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A text ends at its first NUL byte.
std::string_view untilNul(std::string_view bytes) {
    return bytes.substr(0, bytes.find('\0'));
}

// count bytes as hex pairs (high nibble first) from position 6 of an "ER" reply.
std::optional<std::string> eepromBytes(std::string_view payload, size_t count) {
    constexpr size_t kData = 6;
    if (kData + 2 * count > payload.size()) return std::nullopt;
    std::string bytes;
    for (size_t i = 0; i < count; ++i) {
        uint8_t high = charToInt(payload[kData + 2 * i]);
        uint8_t low = charToInt(payload[kData + 2 * i + 1]);
        if (high > 15 || low > 15) return std::nullopt;
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

bool decodeEeprom(core::AmpRecord& works, std::string_view payload) {
    if (payload.size() < 6) return false;
    switch (payload[5]) {
        case '0': {
            auto bytes = eepromBytes(payload, 32);
            if (!bytes) return false;
            works.serialNumber.set(untilNul(*bytes));
            platform::trace("EE0:%s\n", works.serialNumber.get().c_str());
            return true;
        }
        case '1': {
            auto bytes = eepromBytes(payload, 32);
            if (!bytes) return false;
            works.companyName.set(untilNul(*bytes));
            platform::trace("EE1:%s \n", works.companyName.get().c_str());
            return true;
        }
        case '2': {
            auto bytes = eepromBytes(payload, 8);
            if (!bytes) return false;
            char region = (*bytes)[0], model = (*bytes)[1];
            works.ampRegionFlag = region;
            works.ampModelFlag = model;
            works.hwVersion.set(untilNul(std::string_view(*bytes).substr(2)));
            works.number_ofStep_meter_FWD = model == '1' ? 120 : 60;
            platform::trace("EE2: %x %x %s\n", static_cast<uint8_t>(region), static_cast<uint8_t>(model),
                            works.hwVersion.get().c_str());
            return true;
        }
        case '3': {
            auto bytes = eepromBytes(payload, 11);
            if (!bytes) return false;
            const std::string text(untilNul(*bytes));
            // Read as the C library reads a number: leading blanks and a sign are allowed.
            char* end = nullptr;
            double value = std::strtod(text.c_str(), &end);
            if (end != text.c_str() && value > 0.0 && value < 2.0) works.calMultiplier = value;
            platform::trace("EE3: %01.09f (%s , %s)\n", works.calMultiplier.load(), text.c_str(),
                            std::string(payload).c_str());
            config::WrInfoFile(works);
            return true;
        }
        default:
            return true;
    }
}

// The whole text as "%ld" reads a number (leading blanks, a sign, digits); nothing when it is
// not a number throughout. 64 bits, so that eleven digits do not saturate where long has 32.
std::optional<int64_t> wholeNumber(std::string_view text) {
    const std::string terminated(text);
    char* end = nullptr;
    const int64_t value = std::strtoll(terminated.c_str(), &end, 10);
    if (end == terminated.c_str() || *end != '\0') return std::nullopt;
    return value;
}

// A field that is no number is a garbled reply and is asked for again.
bool decodeFrequency(core::AmpRecord& works, std::string_view payload) {
    std::string_view digits = field(payload, 3, 11);
    if (digits.size() != 11) return false;
    std::optional<int64_t> value = wholeNumber(digits);
    if (!value) return false;
    // Zero or less means no carrier was measured; the last frequency stays.
    if (*value > 0 && *value <= std::numeric_limits<int32_t>::max() &&
        works.ampFrequency.exchange(static_cast<int32_t>(*value)) != *value)
        platform::wakeWatchers(works.frequencyNews);
    return true;
}

bool decodeAttenuator(core::AmpRecord& works, std::string_view payload) {
    std::string_view pads = field(payload, 2, 2);
    if (pads == "00") works.attenuatorAmp = 0;
    if (pads == "01") works.attenuatorAmp = 1;
    if (pads == "10") works.attenuatorAmp = 2;
    if (pads == "11") works.attenuatorAmp = 3;
    platform::trace("ATTENUATORE SET: %x (%x)\n", works.attenuatorAmp.load(), works.attenuator.load());
    return true;
}

bool decodeAntennaInput(core::AmpRecord& works, std::string_view payload) {
    if (!isDigit(payload[2])) return false;
    platform::trace("read antenna %s\n", std::string(payload).c_str());
    works.antennaIn = payload[2] - '0';
    platform::trace("N Used Antenna: %i\n", works.antennaIn + 1);
    if (works.carrierControl & core::carrierControl::AntennaInputCleared)
        works.carrierControl |= core::carrierControl::AntennaInputConfirmed;
    return true;
}

bool decodeGeneralSettings(core::AmpRecord& works, std::string_view payload) {
    std::string_view settings = field(payload, 2, 10);
    works.genSettings.set(settings);
    if (settings.size() < 10) platform::trace("ERRORE!! Impostazioni Generali\n");
    platform::trace("Impostazioni Generali : %s (%s)\n", works.genSettings.get().c_str(),
                    std::string(payload).c_str());
    return true;
}

bool decodeMicroReset(core::AmpRecord& works, std::string_view payload) {
    platform::trace("RESET MICRO: %s\n", std::string(payload).c_str());
    if (payload[2] == '0') {
        works.microResetFlags = static_cast<uint8_t>(
            (works.microResetFlags | core::microResetFlags::Reported) & ~core::microResetFlags::ErrorRaised);
        platform::trace("RESET MICRO ----------------------------------  %x\n", works.microResetFlags.load());
    }
    return true;
}

bool decodeBypass(core::AmpRecord& works, std::string_view payload) {
    platform::trace(">> ByPass Ampl: %s\n", std::string(payload).c_str());
    if (payload[2] == '1') works.bypass = 1;
    if (payload[2] == '0') works.bypass = 0;
    return true;
}

// Replies that only confirm a setting, with the trace each one leaves.
const char* confirmationTrace(std::string_view letters) {
    if (letters == "FN") return "Ventola: %s\n";
    if (letters == "PS") return "Protezioni automatiche setted : %s\n";
    if (letters == "SF") return "Pilotaggio Relè : %s\n";
    if (letters == "GM") return "Impostazioni Generic mode : %s\n";
    if (letters == "CM") return "!!!!!!!!!!!!!!!!!!Impostazioni Moltiplicatore OK: %s\n";
    return nullptr;
}

// False when the reply is unknown or lacks its fields.
bool decodeReply(core::AmpRecord& works, std::string_view payload) {
    std::string_view letters = payload.substr(0, 2);
    if (letters == "FA" || letters == "MT" || letters == "FS" || letters == "MP" || letters == "TS")
        return true;
    if (const char* format = confirmationTrace(letters)) {
        platform::trace(format, std::string(payload).c_str());
        return true;
    }
    if (letters == "VS") {
        works.fwVersion.set(field(payload, 3, 7));
        return true;
    }
    if (letters == "SA") {
        // The setup selects antennas 1 to 4. Only 1 to 3 have tune memories: their users check the index.
        if (payload[2] < '1' || payload[2] > '4') return false;
        works.NumAntenna = payload[2] - '1';
        return true;
    }
    if (letters == "CP") {
        works.errorsHeld &= static_cast<uint8_t>(~core::errorsHeld::Held);
        return true;
    }
    if (letters == "FM") return decodeFrequency(works, payload);
    if (letters == "AT") return decodeAttenuator(works, payload);
    if (letters == "AB") return decodeBypass(works, payload);
    if (letters == "AN") return decodeAntennaInput(works, payload);
    if (letters == "MR") return decodeMicroReset(works, payload);
    if (letters == "GS") return decodeGeneralSettings(works, payload);
    if (letters == "ER") return decodeEeprom(works, payload);
    return false;
}

milliseconds notRecognised(core::AmpRecord& works, std::string_view payload) {
    platform::trace("---------------------------------------cmd non riconosciuto:%s\n",
                    std::string(payload).c_str());
    GestRetrayCMD(works);
    return kReplyPause;
}

}  // namespace

milliseconds DecodeCatCmd(core::AmpRecord& works, std::string_view payload, int /*length*/) {
    if (payload.size() < 3) return notRecognised(works, payload);
    char third = payload[2];
    if (third == '?' || third == '!' || third == '&') {
        platform::trace("---------------------------------------CMD Errato:%s\n",
                        std::string(payload).c_str());
        GestRetrayCMD(works);
        return kReplyPause;
    }
    if (payload.substr(0, 2) == "ST") {
        auto reply = ParseStatusReply(payload);
        if (!reply) return notRecognised(works, payload);
        ApplyStatusReply(works, *reply, payload);
        return kStatusPause + NextCmdAfterStatus(works);
    }
    if (!decodeReply(works, payload)) return notRecognised(works, payload);
    NextCmdPriority(works, core::cmd::Status);
    return kReplyPause;
}

}  // namespace amp
