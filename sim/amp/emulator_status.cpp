#include "amp/emulator_status.h"

#include <cstdio>

#include "amp/emulator_counts.h"

namespace sim {

int statusDigit0(const AmpSettings& settings) {
    return (settings.pad3dB ? 0x8 : 0) | (settings.pad2dB ? 0x4 : 0) | (settings.antennaIn != 0 ? 0x1 : 0);
}

int statusDigit(const ModelReadings& readings) {
    bool protection = (readings.protection & ~kProtMicroReset) != 0;
    return (readings.transmitting ? 0x1 : 0) | (readings.swrAlarm ? 0x2 : 0) | (protection ? 0x4 : 0) |
           (readings.bypassed ? 0x8 : 0);
}

int statusDigit3(const ModelReadings& readings) {
    return readings.keyed ? 0x8 : 0;
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
