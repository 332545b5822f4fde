#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "dial_scales.h"
#include "ui/meter_geometry.h"

namespace {

using images::DialScale;
using images::Tick;

// The needle end written out from the meter's formula, independent of the
// code under test.
ui::NeedleEnd formulaEnd(ui::MeterPivot pivot, double value, double steps) {
    const double theta = (0.24 - 0.48 * value / steps) * 3.141692653;
    return {static_cast<int>(pivot.x - 200 * std::sin(theta) + 15 * std::cos(theta + 1.5708463265)),
            static_cast<int>(pivot.y - 200 * std::cos(theta) + 15 * std::sin(theta + 1.5708463265))};
}

const Tick& labelled(const DialScale& dial, const std::string& label) {
    for (const Tick& tick : dial.ticks)
        if (tick.label == label) return tick;
    ADD_FAILURE() << "no tick labelled " << label;
    return dial.ticks.front();
}

void expectTipAt(const DialScale& dial, const std::string& label, ui::NeedleEnd expected) {
    const ui::NeedleEnd tip = labelled(dial, label).tip;
    EXPECT_EQ(tip.x, expected.x) << label;
    EXPECT_EQ(tip.y, expected.y) << label;
}

TEST(NeedleGeometry, EndsOfTheScaleAndItsTopInWholePixels) {
    const ui::NeedleEnd rest = ui::needleEnd(210, 260, ui::needleAngle(0.0f, 60.0f));
    EXPECT_EQ(rest.x, 62);
    EXPECT_EQ(rest.y, 125);
    // Upright, the sideways offset leaves the tip a hair left of and above
    // whole pixels, and truncation takes it there.
    const ui::NeedleEnd upright = ui::needleEnd(210, 260, ui::needleAngle(30.0f, 60.0f));
    EXPECT_EQ(upright.x, 209);
    EXPECT_EQ(upright.y, 74);
    const ui::NeedleEnd full = ui::needleEnd(590, 260, ui::needleAngle(60.0f, 60.0f));
    EXPECT_EQ(full.x, 737);
    EXPECT_EQ(full.y, 125);
    EXPECT_FLOAT_EQ(ui::needleAngle(120.0f, 120.0f), -ui::needleAngle(0.0f, 120.0f));
}

TEST(DialScales, PowerTicksSitWhereTheNeedleEnds) {
    const DialScale forward60 = images::powerDial(ui::kLeftMeterPivot, 60);
    for (const char* label : {"0", "30", "60"})
        expectTipAt(forward60, label, formulaEnd(ui::kLeftMeterPivot, std::stod(label), 60));
    const DialScale forward120 = images::powerDial(ui::kLeftMeterPivot, 120);
    for (const char* label : {"0", "60", "120"})
        expectTipAt(forward120, label, formulaEnd(ui::kLeftMeterPivot, std::stod(label), 120));
    const DialScale reflected = images::powerDial(ui::kRightMeterPivot, 60);
    for (const char* label : {"0", "30", "60"})
        expectTipAt(reflected, label, formulaEnd(ui::kRightMeterPivot, std::stod(label), 60));
    EXPECT_EQ(forward120.ticks.size(), 61u);
}

TEST(DialScales, SwrTicksSitWhereTheNeedleEndsAfterConversion) {
    const DialScale swr = images::swrDial(ui::kRightMeterPivot);
    expectTipAt(swr, "1", formulaEnd(ui::kRightMeterPivot, 0, 60));
    expectTipAt(swr, "2", formulaEnd(ui::kRightMeterPivot, 20, 60));
    expectTipAt(swr, "100", formulaEnd(ui::kRightMeterPivot, 60, 60));
    EXPECT_FLOAT_EQ(swr.redZoneFrom, 30.0f);
    // Every tick, numbered or not, is a needle position, in scale order.
    for (std::size_t i = 0; i < swr.ticks.size(); ++i) {
        const Tick& tick = swr.ticks[i];
        const ui::NeedleEnd end = ui::needleEnd(590, 260, ui::needleAngle(tick.steps, 60.0f));
        EXPECT_EQ(tick.tip.x, end.x);
        EXPECT_EQ(tick.tip.y, end.y);
        if (i > 0) {
            EXPECT_GT(tick.steps, swr.ticks[i - 1].steps);
        }
    }
}

TEST(CalcolaSWR, BreakpointsInterpolationAndBounds) {
    const float breakpoints[][2] = {{1.0f, 0}, {1.5f, 11}, {2, 20}, {3, 30}, {4, 36},  {5, 40},
                                    {6, 43},   {7, 45},    {8, 47}, {9, 48}, {10, 50}, {100, 60}};
    for (const auto& [swr, steps] : breakpoints) EXPECT_FLOAT_EQ(ui::CalcolaSWR(swr), steps) << swr;
    EXPECT_FLOAT_EQ(ui::CalcolaSWR(2.5f), 25.0f);
    EXPECT_FLOAT_EQ(ui::CalcolaSWR(1.25f), 5.5f);
    EXPECT_FLOAT_EQ(ui::CalcolaSWR(55.0f), 55.0f);
    EXPECT_EQ(ui::CalcolaSWR(0.99f), 0.0f);
    EXPECT_EQ(ui::CalcolaSWR(-3.0f), 0.0f);
    EXPECT_EQ(ui::CalcolaSWR(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(ui::CalcolaSWR(150.0f), 60.0f);
    EXPECT_EQ(ui::CalcolaSWR(std::numeric_limits<float>::infinity()), 60.0f);
    float previous = 0.0f;
    for (float swr = 0.5f; swr < 120.0f; swr += 0.05f) {
        const float steps = ui::CalcolaSWR(swr);
        EXPECT_GE(steps, previous) << swr;
        previous = steps;
    }
}

TEST(ConvertW_to_dBm, MilliwattReference) {
    EXPECT_FLOAT_EQ(ui::ConvertW_to_dBm(1.0f), 30.0f);
    EXPECT_FLOAT_EQ(ui::ConvertW_to_dBm(100.0f), 50.0f);
    EXPECT_LT(ui::ConvertW_to_dBm(0.0005f), 0.0f);
    EXPECT_LT(ui::ConvertW_to_dBm(0.0f), 0.0f);
}

}  // namespace
