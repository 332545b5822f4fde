#include "sim/amp/emulator_status.h"

#include <cstdio>

#include "core/status_bits.h"
#include "sim/amp/emulator_counts.h"

namespace sim {

int statusDigit0(const AmpSettings& settings) {
    return (settings.pad3dB ? core::ampStatus0::Pad3dB : 0) |
           (settings.pad2dB ? core::ampStatus0::Pad2dB : 0) |
           (settings.antennaIn != 0 ? core::ampStatus0::CoaxRxTx : 0);
}

int statusDigit(const ModelReadings& readings) {
    bool protection = (readings.protection & ~core::ampProt::MicroReset) != 0;
    return (readings.transmitting ? core::ampStatus::Transmitting : 0) |
           (readings.swrAlarm ? core::ampStatus::SwrAlarm : 0) |
           (protection ? core::ampStatus::Protection : 0) | (readings.bypassed ? core::ampStatus::Bypass : 0);
}

int statusDigit3(const ModelReadings& readings) {
    return readings.keyed ? core::ampStatus3::Keyed : 0;
}

std::string statusPayload(const ModelReadings& r, const AmpSettings& settings) {
    char text[64];
    std::snprintf(text, sizeof text, "ST%X%X%04d%04d%04d%04d%04d%04d%X%X%X0%04d;", statusDigit0(settings),
                  statusDigit(r), powerCounts(r.inputW, kInputCalibration),
                  powerCounts(r.forwardW, kForwardCalibration), reflectedCounts(r.reflectedW, r.forwardW),
                  currentCounts(r.currentA), temperatureCounts(r.temperature1),
                  temperatureCounts(r.temperature2), r.protection & 0xF, r.protection >> 4, statusDigit3(r),
                  peakForwardCounts(r.forwardW));
    return text;
}

}  // namespace sim
