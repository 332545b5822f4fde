#include "ui/meters.h"

#include <gtest/gtest.h>

#include <array>

#include "test_frame.h"
#include "test_station.h"
#include "ui/meter_geometry.h"

namespace {

using testing_support::makeFrame;
using testing_support::Pixel;
using testing_support::pixelAt;
using testing_support::TestStation;

constexpr Pixel kRed{255, 0, 0};
constexpr Pixel kBlack{0, 0, 0};

class Meters : public ::testing::Test {
  protected:
    Meters() : frame(makeFrame(800, 480, 4, 0x80)) {
        works.fb = frame.get();
        works.mainWindow = 1;
        works.ampModelFlag = '0';
    }
    void useModel120() {
        works.ampModelFlag = '1';
        works.number_ofStep_meter_FWD = 120;
    }

    TestStation station;
    core::Works& works = station.works;
    std::unique_ptr<ui::FrameBuffer> frame;
};

TEST_F(Meters, NeedlesEndAtTheDialForZeroHalfAndFullScaleOnBothModels) {
    struct Case {
        float fraction;
        int leftX, rightX, y;
    };
    const std::array<Case, 3> cases{{{0.0f, 62, 442, 125}, {0.5f, 209, 589, 74}, {1.0f, 357, 737, 125}}};
    for (bool model120 : {false, true}) {
        if (model120) useModel120();
        const float fullScale = model120 ? 120.0f : 60.0f;
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "120 W model " << model120 << ", fraction " << c.fraction);
            frame = makeFrame(800, 480, 4, 0x80);
            works.fb = frame.get();
            works.powerFwd = c.fraction * fullScale;
            works.powerRefl = c.fraction * 60.0f;
            ui::DrawMeters(works);
            EXPECT_EQ(pixelAt(*frame, c.leftX, c.y), kRed);
            EXPECT_EQ(pixelAt(*frame, c.rightX, c.y), kRed);
            EXPECT_EQ(pixelAt(*frame, 209, 260), kRed);  // the three lines leave the pivot side by side
            EXPECT_EQ(pixelAt(*frame, 211, 260), kRed);
        }
    }
}

TEST_F(Meters, ForwardPowerOverTheScalePinsTheNeedleButShowsTheRealValue) {
    useModel120();
    works.powerFwd = 150.0f;
    const ui::MeterFace face = ui::leftMeter(works);
    EXPECT_FLOAT_EQ(face.value, 120.0f);
    EXPECT_EQ(face.valueText, "150.0W");
    ui::DrawMeters(works);
    EXPECT_FLOAT_EQ(works.needle1Angle, ui::needleAngle(120.0f, 120.0f));

    // The 60 W model pins at 60 W, and so does a 120 W flag with a 60-step dial.
    works.ampModelFlag = '0';
    works.number_ofStep_meter_FWD = 60;
    EXPECT_FLOAT_EQ(ui::leftMeter(works).value, 60.0f);
    works.ampModelFlag = '1';
    EXPECT_FLOAT_EQ(ui::leftMeter(works).value, 60.0f);
    works.powerFwd = -2.0f;
    EXPECT_FLOAT_EQ(ui::leftMeter(works).value, 0.0f);
}

TEST_F(Meters, PowerTextsInWattsAndDbm) {
    EXPECT_EQ(ui::powerText(1.0f, true), "30.0dBm");
    EXPECT_EQ(ui::powerText(0.0005f, true), "---dBm");
    EXPECT_EQ(ui::powerText(0.0f, true), "---dBm");
    EXPECT_EQ(ui::powerText(0.001f, true), "0.0dBm");
    EXPECT_EQ(ui::powerText(12.34f, false), "12.3W");
    EXPECT_EQ(ui::powerText(0.0f, false), "0.0W");

    works.PowerUnits = 1;
    works.powerFwd = 100.0f;
    works.powerRefl = 0.0005f;
    EXPECT_EQ(ui::leftMeter(works).valueText, "50.0dBm");
    EXPECT_EQ(ui::rightMeter(works).valueText, "---dBm");
}

TEST_F(Meters, RightMeterFollowsTheWindow) {
    works.mainWindow = 2;
    works.swr = 1.0f;
    EXPECT_FLOAT_EQ(ui::rightMeter(works).value, 0.0f);
    works.swr = 2.0f;
    EXPECT_FLOAT_EQ(ui::rightMeter(works).value, 20.0f);
    works.swr = 150.0f;
    ui::MeterFace swr = ui::rightMeter(works);
    EXPECT_FLOAT_EQ(swr.value, 60.0f);
    EXPECT_EQ(swr.valueText, "100.0");  // the clamped SWR, without a unit
    works.PowerUnits = 1;
    works.swr = 0.5f;
    EXPECT_EQ(ui::rightMeter(works).valueText, "0.5");

    works.mainWindow = 3;
    works.PowerUnits = 0;
    works.powerIn = 75.0f;
    ui::MeterFace input = ui::rightMeter(works);
    EXPECT_FLOAT_EQ(input.value, 60.0f);
    EXPECT_EQ(input.valueText, "75.0W");
}

TEST_F(Meters, PeakHoldsThenFallsStepwiseThenFollowsTheAverage) {
    works.TimerPeakSec = 3000;
    works.PeakDecrement = 1.0;
    works.PeakDecrementTime = 1;
    works.fattoremedia = 2;

    ui::CalcolaPwrPeak(works, 50.0f);
    EXPECT_FLOAT_EQ(works.peakFwd, 50.0f);
    EXPECT_EQ(works.peakFwdHold, 3000);

    ui::AgePeaks(works, 40);  // counter 0 -> 1
    EXPECT_EQ(works.peakFwdHold, 2960);
    EXPECT_FLOAT_EQ(works.peakFwd, 50.0f);
    ui::AgePeaks(works, 40);  // counter reached PeakDecrementTime: one step down
    EXPECT_FLOAT_EQ(works.peakFwd, 49.0f);
    EXPECT_EQ(works.peakFwdCount, 0);

    ui::CalcolaPwrPeak(works, 10.0f);  // lower readings leave a held peak alone
    EXPECT_FLOAT_EQ(works.peakFwd, 49.0f);

    ui::AgePeaks(works, 5000);
    EXPECT_EQ(works.peakFwdHold, 0);
    const float held = works.peakFwd;
    ui::AgePeaks(works, 40);  // no hold: no more decrement steps
    EXPECT_FLOAT_EQ(works.peakFwd, held);
    ui::CalcolaPwrPeak(works, 10.0f);
    EXPECT_FLOAT_EQ(works.peakFwd, (2 * held + 10.0f) / 3);

    ui::CalcolaPwrPeak(works, 80.0f);  // a new peak lifts at once and holds again
    EXPECT_FLOAT_EQ(works.peakFwd, 80.0f);
    EXPECT_EQ(works.peakFwdHold, 3000);
}

TEST_F(Meters, PeakNeverFallsBelowZeroAndIgnoresANegativeWeight) {
    works.TimerPeakSec = 100;
    works.PeakDecrement = 5.0;
    works.PeakDecrementTime = 0;
    ui::CalcolaPwrPeak2(works, 3.0f);
    ui::AgePeaks(works, 40);
    EXPECT_FLOAT_EQ(works.peak2, 0.0f);

    works.fattoremedia = -1;
    works.peak2Hold = 0;
    works.peak2 = 8.0f;
    ui::CalcolaPwrPeak2(works, 2.0f);
    EXPECT_FLOAT_EQ(works.peak2, 2.0f);
}

TEST_F(Meters, PeakNeedlesStartAtThePresentPeakAndAreDrawnBlack) {
    works.EnablePwrPeak = 1;
    works.powerFwd = 10.0f;
    works.powerFwdPeak = 30.0f;
    ui::DrawMeters(works);
    EXPECT_FLOAT_EQ(works.peakFwd, 30.0f);
    EXPECT_EQ(works.peakFwdHold, 0);  // seeded, not held
    EXPECT_FLOAT_EQ(works.peak1Angle, ui::needleAngle(30.0f, 60.0f));
    EXPECT_EQ(pixelAt(*frame, 209, 74), kBlack);  // half scale

    works.powerFwdPeak = 45.0f;  // from now on through the peak rule
    ui::DrawMeters(works);
    EXPECT_FLOAT_EQ(works.peakFwd, 45.0f);
    EXPECT_EQ(works.peakFwdHold, works.TimerPeakSec);

    works.EnablePwrPeak = 0;
    works.peakFwd = 0.0f;
    ui::DrawMeters(works);
    EXPECT_FLOAT_EQ(works.peakFwd, 0.0f);
}

}  // namespace
