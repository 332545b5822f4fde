#pragma once
// The amplifier's ADC readings as the controller's default calibration reads
// them back: watts, amperes and degrees turned into 12-bit counts, so that a
// controller without configuration files shows the values of the model.
#include <cstdint>

namespace sim {

inline constexpr int kAdcFull = 4095;

// The controller computes power = k * (counts + offset)^2 above the offset
// and the straight line 4 * k * offset * counts below it.
struct PowerCalibration {
    float k;
    int offset;
};
inline constexpr PowerCalibration kInputCalibration{5.5078103e-06f, 150};
inline constexpr PowerCalibration kForwardCalibration{5.156579e-06f, 140};
inline constexpr PowerCalibration kReflectedCalibration{3.3262754e-06f, 100};
// The controller adds this share of the forward power to the reflected power.
inline constexpr double kReflectedCorrection = -0.007;
// Full scale of the drain-current reading.
inline constexpr double kCurrentFullScaleA = 14.05;

[[nodiscard]] int powerCounts(double watts, PowerCalibration calibration);
[[nodiscard]] int reflectedCounts(double reflectedW, double forwardW);
// The peak reading is read back as k * counts^2, without offset.
[[nodiscard]] int peakForwardCounts(double watts);
[[nodiscard]] int currentCounts(double amperes);
// Heat-sink sensor: the reading that the controller's thermistor conversion
// turns into the nearest temperature (it reads -10 to 101 degrees C).
[[nodiscard]] int temperatureCounts(double celsius);

}  // namespace sim
