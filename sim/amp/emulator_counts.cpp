#include "sim/amp/emulator_counts.h"

#include <algorithm>
#include <cmath>

#include "amp/measurements.h"

namespace sim {
namespace {

int toAdc(double counts) {
    if (!(counts > 0)) return 0;
    return static_cast<int>(std::lround(std::min(counts, static_cast<double>(kAdcFull))));
}

}  // namespace

int powerCounts(double watts, PowerCalibration calibration) {
    if (!(watts > 0)) return 0;
    double k = calibration.k;
    double offset = calibration.offset;
    double knee = 4.0 * k * offset * offset;
    if (watts < knee) return toAdc(watts / (4.0 * k * offset));
    return toAdc(std::sqrt(watts / k) - offset);
}

int reflectedCounts(double reflectedW, double forwardW) {
    return powerCounts(reflectedW - kReflectedCorrection * forwardW, kReflectedCalibration);
}

int peakForwardCounts(double watts) {
    if (!(watts > 0)) return 0;
    return toAdc(std::sqrt(watts / kForwardCalibration.k));
}

int currentCounts(double amperes) {
    return toAdc(amperes * 4096.0 / kCurrentFullScaleA);
}

int temperatureCounts(double celsius) {
    // The controller's own conversion falls as the counts rise: the first
    // reading at or below the temperature, or the one before it when closer.
    int low = 0, high = kAdcFull;
    while (low < high) {
        int middle = (low + high) / 2;
        if (amp::CalcolaTemp(static_cast<uint16_t>(middle)) <= celsius) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    if (low > 0 && std::abs(amp::CalcolaTemp(static_cast<uint16_t>(low - 1)) - celsius) <
                       std::abs(amp::CalcolaTemp(static_cast<uint16_t>(low)) - celsius))
        return low - 1;
    return low;
}

}  // namespace sim
