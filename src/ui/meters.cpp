#include "ui/meters.h"

#include <algorithm>
#include <cstdio>

#include "core/works.h"
#include "ui/framebuffer.h"
#include "ui/meter_geometry.h"
#include "ui/spectrum_plot.h"
#include "ui/text.h"

namespace ui {
namespace {

constexpr int kTextSlot = 8;
constexpr int kTitleY = 160;
constexpr int kValueY = 180;
constexpr float kMaxSwr = 100.0f;
constexpr float kRightMeterWatts = 60.0f;

// The reading held inside 0..limit; anything that is not a number rests at 0.
float onDial(float value, float limit) {
    return value > 0.0f ? std::min(value, limit) : 0.0f;
}

std::string formatValue(const char* format, float value) {
    char text[32];
    std::snprintf(text, sizeof text, format, static_cast<double>(value));
    return text;
}

float stepsOf(const std::atomic<int32_t>& steps) {
    return static_cast<float>(steps.load());
}

void drawNeedle(FrameBuffer* fb, MeterPivot pivot, float angle, int red) {
    const NeedleEnd end = needleEnd(pivot.x, pivot.y, angle);
    for (int dx = -1; dx <= 1; ++dx) DrawLine(pivot.x + dx, pivot.y, end.x, end.y, red, 0, 0, fb, 0);
}

void drawTexts(FrameBuffer* fb, const MeterFace& face) {
    putString(kTextSlot, face.titleX, kTitleY, face.title, 0, 0, 0, fb);
    putString(kTextSlot, face.valueX, kValueY, face.valueText.c_str(), 0, 0, 0, fb);
}

// A new peak is held for TimerPeakSec; once the hold has run out the peak
// follows the reading through the weighted average.
void updatePeak(core::Works& works, std::atomic<float>& peak, std::atomic<int32_t>& hold, float value) {
    if (value > peak) {
        peak = value;
        hold = works.TimerPeakSec.load();
    } else if (hold < 1) {
        // A negative weight from the setup file would divide by zero.
        const float weight = static_cast<float>(std::max(works.fattoremedia.load(), 0));
        peak = (weight * peak + value) / (weight + 1.0f);
    }
}

void agePeak(core::Works& works, std::atomic<float>& peak, std::atomic<int32_t>& hold,
             std::atomic<int32_t>& count, int elapsedMs) {
    if (hold <= 0) return;
    hold = std::max(hold - elapsedMs, 0);
    if (count < works.PeakDecrementTime) {
        ++count;
        return;
    }
    peak = std::max(peak - static_cast<float>(works.PeakDecrement.load()), 0.0f);
    count = 0;
}

}  // namespace

std::string powerText(float watts, bool dBm) {
    if (!dBm) return formatValue("%02.01fW", watts);
    const float level = ConvertW_to_dBm(watts);
    return level >= 0.0f ? formatValue("%02.01fdBm", level) : "---dBm";
}

MeterFace leftMeter(const core::Works& works) {
    MeterFace face;
    face.steps = stepsOf(works.number_ofStep_meter_FWD);
    const float limit = works.ampModelFlag == '1' ? 120.0f : 60.0f;
    const float power = works.powerFwd;
    // Held to the scale as well, so the needle never swings past the dial
    // while the model flag and the step count disagree.
    face.value = onDial(power, std::min(limit, face.steps));
    face.title = "FORWARD";
    face.titleX = 155;
    face.valueX = 180;
    face.valueText = powerText(power, works.PowerUnits != 0);
    return face;
}

MeterFace rightMeter(const core::Works& works) {
    MeterFace face;
    const bool dBm = works.PowerUnits != 0;
    switch (works.mainWindow) {
        case 2: {
            face.steps = stepsOf(works.number_ofStep_meter_SWR);
            const float swr = onDial(works.swr, kMaxSwr);
            face.value = std::min(CalcolaSWR(swr), face.steps);
            face.title = "SWR";
            face.titleX = 570;
            face.valueX = 580;
            face.valueText = formatValue("%02.01f", swr);
            break;
        }
        case 3: {
            face.steps = stepsOf(works.number_ofStep_meter_PW);
            const float power = works.powerIn;
            face.value = onDial(power, std::min(kRightMeterWatts, face.steps));
            face.title = "PWR IN";
            face.titleX = 560;
            face.valueX = 570;
            face.valueText = powerText(power, dBm);
            break;
        }
        default: {
            face.steps = stepsOf(works.number_ofStep_meter_REFL);
            const float power = works.powerRefl;
            face.value = onDial(power, std::min(kRightMeterWatts, face.steps));
            face.title = "REFLECTED";
            face.titleX = 535;
            face.valueX = 565;
            face.valueText = powerText(power, dBm);
            break;
        }
    }
    return face;
}

void CalcolaPwrPeak(core::Works& works, float value) {
    updatePeak(works, works.peakFwd, works.peakFwdHold, value);
}

void CalcolaPwrPeak2(core::Works& works, float value) {
    updatePeak(works, works.peak2, works.peak2Hold, value);
}

void AgePeaks(core::Works& works, int elapsedMs) {
    agePeak(works, works.peakFwd, works.peakFwdHold, works.peakFwdCount, elapsedMs);
    agePeak(works, works.peak2, works.peak2Hold, works.peak2Count, elapsedMs);
}

void DrawMeters(core::Works& works) {
    FrameBuffer* fb = works.fb;
    const MeterFace left = leftMeter(works);
    const MeterFace right = rightMeter(works);
    const bool peaks = works.EnablePwrPeak == 1;
    constexpr int kRed = 255, kBlack = 0;

    works.needle1Angle = needleAngle(left.value, left.steps);
    drawNeedle(fb, kLeftMeterPivot, works.needle1Angle, kRed);
    if (peaks) {
        // The first peak needle starts at the present peak without a hold time.
        if (works.peak1Angle == 0.0f)
            works.peakFwd = works.powerFwdPeak.load();
        else
            CalcolaPwrPeak(works, works.powerFwdPeak);
        works.peak1Angle = needleAngle(onDial(works.peakFwd, left.steps), left.steps);
        drawNeedle(fb, kLeftMeterPivot, works.peak1Angle, kBlack);
    }

    works.needle2Angle = needleAngle(right.value, right.steps);
    drawNeedle(fb, kRightMeterPivot, works.needle2Angle, kRed);
    if (peaks) {
        if (works.peak2Angle == 0.0f)
            works.peak2 = right.value;
        else
            CalcolaPwrPeak2(works, right.value);
        works.peak2Angle = needleAngle(onDial(works.peak2, right.steps), right.steps);
        drawNeedle(fb, kRightMeterPivot, works.peak2Angle, kBlack);
    }
    drawTexts(fb, right);
    DrawFreq(works);
    drawTexts(fb, left);
}

}  // namespace ui
