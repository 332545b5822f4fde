#include <gtest/gtest.h>

#include "amp/measurements.h"

namespace {

using amp::swrFromPowers;
using amp::CalcolaTemp;
using amp::CalcolaWatt;

TEST(CalcolaWattTest, LineBelowTheOffsetMeetsTheSquareLawAtIt) {
    EXPECT_NEAR(CalcolaWatt(10, 5, 1e-5f), 0.002f, 1e-7f);
    EXPECT_NEAR(CalcolaWatt(10, 10, 1e-5f), 0.004f, 1e-7f);
    EXPECT_NEAR(CalcolaWatt(10, 9, 1e-5f), 4 * 1e-5f * 10 * 9, 1e-7f);
    EXPECT_FLOAT_EQ(CalcolaWatt(0, 2000, 1e-5f), 40.0f);
    EXPECT_FLOAT_EQ(CalcolaWatt(10, 0, 1e-5f), 0.0f);
}

TEST(swrFromPowersTest, RatioOfForwardAndReflectedPower) {
    EXPECT_NEAR(swrFromPowers(100.0f, 11.1f), 2.0f, 0.01f);
    EXPECT_FLOAT_EQ(swrFromPowers(50.0f, 0.0f), 1.0f);
    EXPECT_FLOAT_EQ(swrFromPowers(50.0f, 50.0f), 100.0f);   // total reflection
    EXPECT_FLOAT_EQ(swrFromPowers(5.0f, 6.0f), 100.0f);     // reflected above forward
    EXPECT_FLOAT_EQ(swrFromPowers(100.0f, 99.9f), 100.0f);  // capped
}

TEST(swrFromPowersTest, WithoutForwardPowerOnlyAReflectionCounts) {
    EXPECT_FLOAT_EQ(swrFromPowers(0.2f, 0.6f), 100.0f);
    EXPECT_FLOAT_EQ(swrFromPowers(0.2f, 0.4f), 0.0f);
    EXPECT_FLOAT_EQ(swrFromPowers(0.3f, 0.2f), 0.0f);
    EXPECT_FLOAT_EQ(swrFromPowers(0.0f, 0.0f), 0.0f);
}

TEST(CalcolaTempTest, InterpolatesTheThermistorTable) {
    float midScale = CalcolaTemp(2048);  // R = 10.005 kOhm, a hair above the 25 degree point
    EXPECT_LT(midScale, 25.0f);
    EXPECT_GT(midScale, 24.98f);
    // R = 2.521 kOhm exactly at the 60 degree point: 4095 * 2.521 / 12.521 = 824.5
    EXPECT_NEAR(CalcolaTemp(824), 60.0f, 0.1f);
    EXPECT_LT(CalcolaTemp(1500), CalcolaTemp(1000));  // resistance falls as it warms
}

TEST(CalcolaTempTest, ClampsColdAndHotReadings) {
    EXPECT_FLOAT_EQ(CalcolaTemp(3600), -10.0f);  // about -15 degrees
    EXPECT_FLOAT_EQ(CalcolaTemp(4094), -10.0f);  // beyond the table's cold end
    EXPECT_FLOAT_EQ(CalcolaTemp(4095), -10.0f);  // open sensor, no division by zero
    EXPECT_FLOAT_EQ(CalcolaTemp(9999), -10.0f);
    EXPECT_FLOAT_EQ(CalcolaTemp(250), 101.0f);  // about 102 degrees
    EXPECT_FLOAT_EQ(CalcolaTemp(0), 101.0f);    // shorted sensor
}

TEST(CharToIntTest, HexDigitsOfBothCases) {
    EXPECT_EQ(amp::charToInt('0'), 0);
    EXPECT_EQ(amp::charToInt('9'), 9);
    EXPECT_EQ(amp::charToInt('A'), 10);
    EXPECT_EQ(amp::charToInt('f'), 15);
    EXPECT_EQ(amp::charToInt('g'), 255);
    EXPECT_EQ(amp::charToInt('G'), 255);
    EXPECT_EQ(amp::charToInt(';'), 255);
}

TEST(SearchKTest, RowOfTheWorkingFrequency) {
    core::Works works;
    config::BandConfigRow low, high, end;
    low.startFrequency = 1800000;
    low.kForw = 1.0e-6f, low.kRefl = 2.0e-6f, low.kPwrIn = 3.0e-6f, low.reflCorrection = -0.01f;
    high.startFrequency = 14000000;
    high.kForw = 4.0e-6f, high.kRefl = 5.0e-6f;
    end.startFrequency = 54000000;
    works.bandConfig = {low, high, end};

    works.frequency = 7000000;
    EXPECT_FLOAT_EQ(amp::SearchK(works, 0), 1.0e-6f);
    EXPECT_FLOAT_EQ(amp::SearchK(works, 1), 2.0e-6f);
    EXPECT_FLOAT_EQ(amp::SearchK(works, 2), 3.0e-6f);
    EXPECT_FLOAT_EQ(amp::SearchK(works, 3), -0.01f);
    works.frequency = 14000000;  // a row starts where the previous one ends
    EXPECT_FLOAT_EQ(amp::SearchK(works, 1), 5.0e-6f);
    works.frequency = 1799999;
    EXPECT_FLOAT_EQ(amp::SearchK(works, 0), 1.0f);
    works.frequency = 54000000;
    EXPECT_FLOAT_EQ(amp::SearchK(works, 0), 1.0f);
}

}  // namespace
