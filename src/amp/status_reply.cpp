#include "amp/status_reply.h"

#include "amp/error_recovery.h"
#include "amp/fan_control.h"
#include "amp/measurements.h"
#include "amp/thermal.h"
#include "core/errors.h"
#include "platform/log.h"

namespace amp {
namespace {

constexpr uint8_t kProtCauses = 0x5F;  // bits 0-4 and 6
constexpr uint8_t kProtBand = 0x40;
constexpr uint8_t kProtInputPower = 0x20;
constexpr uint8_t kProtMicroReset = 0x80;

std::optional<uint8_t> hexDigit(std::string_view text, size_t position) {
    if (position >= text.size()) return std::nullopt;
    uint8_t value = charToInt(text[position]);
    if (value > 15) return std::nullopt;
    return value;
}

std::optional<uint16_t> counts(std::string_view text, size_t position) {
    if (position + 4 > text.size()) return std::nullopt;
    uint16_t value = 0;
    for (char digit : text.substr(position, 4)) {
        if (digit < '0' || digit > '9') return std::nullopt;
        value = static_cast<uint16_t>(value * 10 + (digit - '0'));
    }
    return value;
}

// The operator's reset of a protection (bit 1) ends once its cause is gone.
void endProtectionReset(core::Works& works) {
    if (works.protFlags & 2) works.protFlags &= static_cast<uint8_t>(~3u);
}

void trackBypass(core::Works& works, uint8_t status, std::string_view text) {
    int length = static_cast<int>(text.size());
    if ((status & 8) && works.bypass == 0) {
        platform::trace("--------------- AMPL ERRORE : bypass on %.*s\n", length, text.data());
        works.bypass = 1;
    } else if (!(status & 8) && works.bypass == 1) {
        platform::trace("--------------- AMPL ERRORE : bypass off %.*s\n", length, text.data());
        works.bypass = 0;
    }
}

// Follows pad changes the amplifier made on its own, unless a change of ours is in flight.
void trackAttenuator(core::Works& works, uint8_t status0) {
    if (works.tuneState != 0 || works.attenuatorAmp != works.attenuator) return;
    auto pads = static_cast<uint8_t>((status0 >> 2) & 3);
    if (pads == works.attenuator) return;
    works.attenuator = pads;
    works.attenuatorAmp = pads;
    works.attenuatorKey = pads;
    static constexpr const char* kPadTexts[4] = {
        "STATE DA ERRORE : attenuatore 3dB=off 2dB=off\n",
        "STATE DA ERRORE : attenuatore 3dB=off 2dB=on\n",
        "STATE DA ERRORE : attenuatore 3dB=on 2dB=off\n",
        "STATE DA ERRORE : attenuatore 3dB=on 2dB=on\n",
    };
    platform::trace("%s", kPadTexts[pads]);
}

void trackProtections(core::Works& works, uint8_t status, uint8_t prot) {
    if ((prot & kProtMicroReset) && (works.microResetFlags & 1) && !(works.microResetFlags & 2)) {
        core::AddErrore(works, 16);
        works.microResetFlags |= 2;
        platform::trace("Add Err RESET MICRO\n");
    }
    if (prot & kProtCauses) {
        if (prot & kProtBand) {
            core::AddErrore(works, 19);
        } else {
            // The highest cause bit names the protection.
            static constexpr const char* kCauses[5] = {"I OUT", "REFL", "FWD", "SENS PW", "FILTER TX"};
            const char* cause = kCauses[0];
            for (unsigned bit = 0; bit < 5; ++bit)
                if (prot & (1u << bit)) cause = kCauses[bit];
            works.errors.setLine2(15, cause);
            core::AddErrore(works, 15);
        }
    } else {
        core::DeleteErrore(works, 15);
        endProtectionReset(works);
    }
    if (prot & kProtInputPower) core::AddErrore(works, 3);
    if (status & 2) {
        core::AddErrore(works, 1);
    } else {
        core::DeleteErrore(works, 1);
        endProtectionReset(works);
    }
    if (!(status & 4)) endProtectionReset(works);
}

// The first transmission after start restarts the temperature log.
void startTemperatureLog(core::Works& works, uint8_t status) {
    if (works.EnableLOGTemp != 1 || !(status & 1) || works.logStarted) return;
    platform::trace("REMOVE file LOG \n");
    LogTempFunction(works, -1);
    LogTempFunction(works, 0);
    works.logStarted = 1;
}

void updatePowers(core::Works& works, const StatusReply& reply) {
    auto offset = [](int32_t value) { return static_cast<uint32_t>(value < 0 ? 0 : value); };
    works.adcPowerIn = reply.powerIn;
    works.powerIn = CalcolaWatt(offset(works.KostPWRIN), reply.powerIn, SearchK(works, 2));
    works.adcFwd = reply.forward;
    float forward = CalcolaWatt(offset(works.KostFORW), reply.forward, SearchK(works, 0));
    works.powerFwd = forward;
    works.adcRefl = reply.reflected;
    float reflected =
        CalcolaWatt(offset(works.KostREFL), reply.reflected, SearchK(works, 1)) + SearchK(works, 3) * forward;
    if (reflected < 0.0f) reflected = 0.0f;
    works.powerRefl = reflected;
    works.swr = swrFromPowers(forward, reflected);
}

// The first reading is taken as it is; later ones move a tenth of the way.
float smoothed(float previous, float reading) {
    return previous == 0.0f ? reading : (9.0f * previous + reading) / 10.0f;
}

}  // namespace

std::optional<StatusReply> ParseStatusReply(std::string_view payload) {
    auto status0 = hexDigit(payload, 2), status = hexDigit(payload, 3);
    auto protLow = hexDigit(payload, 28), protHigh = hexDigit(payload, 29), status3 = hexDigit(payload, 30);
    auto powerIn = counts(payload, 4), forward = counts(payload, 8), reflected = counts(payload, 12);
    auto current = counts(payload, 16), sensor1 = counts(payload, 20), sensor2 = counts(payload, 24);
    if (!status0 || !status || !protLow || !protHigh || !status3 || !powerIn || !forward || !reflected ||
        !current || !sensor1 || !sensor2)
        return std::nullopt;
    StatusReply reply;
    reply.status0 = *status0;
    reply.status = *status;
    reply.prot = static_cast<uint8_t>(*protLow + 16 * *protHigh);
    reply.status3 = *status3;
    reply.powerIn = *powerIn;
    reply.forward = *forward;
    reply.reflected = *reflected;
    reply.current = *current;
    reply.sensor1 = *sensor1;
    reply.sensor2 = *sensor2;
    reply.peak = counts(payload, 32);
    return reply;
}

void ApplyStatusReply(core::Works& works, const StatusReply& reply, std::string_view payload) {
    if (works.resetPhase == 2) {
        GestErroreSerial(works);
        platform::trace(">>> ERRORI: End Gest Errori!!\n");
        works.resetPhase = 0;
    }
    works.ampStatus0 = reply.status0;
    works.ampStatus = reply.status;
    works.ampProt = static_cast<int8_t>(reply.prot);
    works.ampStatus3 = reply.status3;

    trackBypass(works, reply.status, payload);
    trackAttenuator(works, reply.status0);
    trackProtections(works, reply.status, reply.prot);
    startTemperatureLog(works, reply.status);
    updatePowers(works, reply);
    works.currentRaw = static_cast<float>(reply.current);
    works.temperature1 = smoothed(works.temperature1, CalcolaTemp(reply.sensor1));
    works.temperature2 = smoothed(works.temperature2, CalcolaTemp(reply.sensor2));

    if (works.EnablePwrPeak == 1 && reply.peak) {
        float peakCounts = *reply.peak;
        float peak = SearchK(works, 0) * peakCounts * peakCounts;
        float cap = works.ampModelFlag == '1' ? 130.0f : 70.0f;
        works.powerFwdPeak = peak > cap ? cap : peak;
    }

    searchPercentVentola(works);
    GestTemperatureFunction(works, 2, 0, 23, works.temperature1, works.MaxTemperature);
    GestTemperatureFunction(works, 22, 21, 24, works.temperature2, works.MaxTemperature2);
}

}  // namespace amp
