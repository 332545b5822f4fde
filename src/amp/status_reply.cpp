#include "amp/status_reply.h"

#include "amp/error_recovery.h"
#include "amp/fan_control.h"
#include "amp/measurements.h"
#include "amp/protection_events.h"
#include "amp/thermal.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/record/amp_record.h"
#include "core/status_bits.h"
#include "platform/log.h"

namespace amp {
namespace {

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

// The operator's reset of a protection ends once its cause is gone.
void endProtectionReset(core::AmpRecord& works) {
    if (works.protFlags & core::protFlags::DisplayCleared)
        works.protFlags &=
            static_cast<uint8_t>(~(core::protFlags::Tripped | core::protFlags::DisplayCleared));
}

void trackBypass(core::AmpRecord& works, uint8_t status, std::string_view text) {
    int length = static_cast<int>(text.size());
    if ((status & core::ampStatus::Bypass) && works.bypass == 0) {
        platform::trace("--------------- AMPL ERRORE : bypass on %.*s\n", length, text.data());
        works.bypass = 1;
    } else if (!(status & core::ampStatus::Bypass) && works.bypass == 1) {
        platform::trace("--------------- AMPL ERRORE : bypass off %.*s\n", length, text.data());
        works.bypass = 0;
    }
}

// Follows pad changes the amplifier made on its own, unless a change of ours is in flight.
void trackAttenuator(core::AmpRecord& works, uint8_t status0) {
    if (works.tuneState != 0 || works.attenuatorAmp != works.attenuator) return;
    // The attenuator value: the 3 dB pad is its bit 1, the 2 dB pad its bit 0.
    auto pads = static_cast<uint8_t>(((status0 & core::ampStatus0::Pad3dB) ? 2 : 0) |
                                     ((status0 & core::ampStatus0::Pad2dB) ? 1 : 0));
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

void trackProtections(core::AmpRecord& works, uint8_t status, uint8_t prot) {
    if ((prot & core::ampProt::MicroReset) && (works.microResetFlags & core::microResetFlags::Reported) &&
        !(works.microResetFlags & core::microResetFlags::ErrorRaised)) {
        core::AddErrore(works, core::err::MicroReset);
        works.microResetFlags |= core::microResetFlags::ErrorRaised;
        platform::trace("Add Err RESET MICRO\n");
    }
    if (prot & core::ampProt::Causes) {
        if (prot & core::ampProt::Band) {
            core::AddErrore(works, core::err::BandProtection);
        } else {
            // The highest cause bit names the protection.
            struct Cause {
                uint8_t bit;
                const char* name;
            };
            static constexpr Cause kCauses[] = {{core::ampProt::OutputCurrent, "I OUT"},
                                                {core::ampProt::Reflected, "REFL"},
                                                {core::ampProt::Forward, "FWD"},
                                                {core::ampProt::PowerSensor, "SENS PW"},
                                                {core::ampProt::TxFilter, "FILTER TX"}};
            const char* cause = kCauses[0].name;
            for (const Cause& candidate : kCauses)
                if (prot & candidate.bit) cause = candidate.name;
            works.errors.setLine2(core::err::AmpProtection, cause);
            core::AddErrore(works, core::err::AmpProtection);
        }
    } else {
        core::DeleteErrore(works, core::err::AmpProtection);
        endProtectionReset(works);
    }
    if (prot & core::ampProt::InputPower) core::AddErrore(works, core::err::InputPower);
    if (status & core::ampStatus::SwrAlarm) {
        core::AddErrore(works, core::err::Swr);
    } else {
        core::DeleteErrore(works, core::err::Swr);
        endProtectionReset(works);
    }
    if (!(status & core::ampStatus::Protection)) endProtectionReset(works);
}

// The first transmission after start restarts the temperature log.
void startTemperatureLog(core::AmpRecord& works, uint8_t status) {
    if (works.EnableLOGTemp != 1 || !(status & core::ampStatus::Transmitting) || works.logStarted) return;
    platform::trace("REMOVE file LOG \n");
    LogTempFunction(works, -1);
    LogTempFunction(works, 0);
    works.logStarted = 1;
}

void updatePowers(core::AmpRecord& works, const StatusReply& reply) {
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

void ApplyStatusReply(core::AmpRecord& works, const StatusReply& reply, std::string_view payload) {
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
    logProtectionChanges(works, reply.status, reply.prot);
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
    GestTemperatureFunction(works, core::err::Temp1Alarm, core::err::Temp1Cooled, core::err::Temp1Warning,
                            works.temperature1, works.MaxTemperature);
    GestTemperatureFunction(works, core::err::Temp2Alarm, core::err::Temp2Cooled, core::err::Temp2Warning,
                            works.temperature2, works.MaxTemperature2);
}

}  // namespace amp
