#pragma once
// The two needle meters of main windows 1 to 3: forward power on the left;
// reflected power, SWR or input power on the right. Each has a live needle
// and, when enabled, a peak needle that holds a new peak and then decays.
#include <string>

namespace core {
struct Works;
}  // namespace core

namespace ui {

// What one meter shows for the current readings.
struct MeterFace {
    float value = 0;   // clamped to the dial; SWR already turned into scale steps
    float steps = 60;  // full scale
    const char* title = "";
    int titleX = 0;
    int valueX = 0;
    std::string valueText;  // the real reading, not the clamped one
};
[[nodiscard]] MeterFace leftMeter(const core::Works& works);
[[nodiscard]] MeterFace rightMeter(const core::Works& works);

// "%02.01fW"; in dBm mode "%02.01fdBm", or "---dBm" below 1 mW.
[[nodiscard]] std::string powerText(float watts, bool dBm);

// Peak update of the left and the right meter with the newest reading.
void CalcolaPwrPeak(core::Works& works, float value);
void CalcolaPwrPeak2(core::Works& works, float value);
// Runs down both hold times by elapsedMs; while a hold runs, the peak falls
// by PeakDecrement every PeakDecrementTime ticks.
void AgePeaks(core::Works& works, int elapsedMs);

// Both meters with their titles and values, and the frequency title.
void DrawMeters(core::Works& works);

}  // namespace ui
