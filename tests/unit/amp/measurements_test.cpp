#include "amp/measurements.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "core/works.h"

namespace {

using amp::CalcolaTemp;
using amp::CalcolaWatt;
using amp::swrFromPowers;

TEST(CalcolaWattTest, LineBelowTheOffsetMeetsTheSquareLawAtIt) {
    EXPECT_NEAR(CalcolaWatt(10, 5, 1e-5f), 0.002f, 1e-7f);
    EXPECT_NEAR(CalcolaWatt(10, 10, 1e-5f), 0.004f, 1e-7f);
    EXPECT_FLOAT_EQ(CalcolaWatt(10, 0, 1e-5f), 0.0f);
}

TEST(swrFromPowersTest, CapsTotalReflectionAndNeedsForwardPower) {
    struct Case {
        float forward, reflected, swr;
    };
    for (Case c : {Case{50.0f, 0.0f, 1.0f}, Case{50.0f, 50.0f, 100.0f}, Case{5.0f, 6.0f, 100.0f},
                   Case{100.0f, 99.9f, 100.0f}, Case{0.2f, 0.6f, 100.0f}, Case{0.2f, 0.4f, 0.0f},
                   Case{0.3f, 0.2f, 0.0f}, Case{0.0f, 0.0f, 0.0f}}) {
        EXPECT_FLOAT_EQ(swrFromPowers(c.forward, c.reflected), c.swr)
            << c.forward << " W, " << c.reflected << " W";
    }
    EXPECT_NEAR(swrFromPowers(100.0f, 11.1f), 2.0f, 0.01f);
}

TEST(CalcolaTempTest, InterpolatesTheThermistorTableAndClampsItsEnds) {
    float midScale = CalcolaTemp(2048);  // R = 10.005 kOhm, a hair above the 25 degree point
    EXPECT_LT(midScale, 25.0f);
    EXPECT_GT(midScale, 24.98f);
    // R = 2.521 kOhm exactly at the 60 degree point: 4095 * 2.521 / 12.521 = 824.5
    EXPECT_NEAR(CalcolaTemp(824), 60.0f, 0.1f);
    for (uint16_t cold : std::array<uint16_t, 2>{3600, 4094})
        EXPECT_FLOAT_EQ(CalcolaTemp(cold), -10.0f) << cold;
    // 0 is a shorted sensor; full scale and beyond an open one or a bad reading: both read hottest.
    for (uint16_t hot : std::array<uint16_t, 5>{250, 0, 4095, 4096, 9999})
        EXPECT_FLOAT_EQ(CalcolaTemp(hot), 101.0f) << hot;
}

TEST(CharToIntTest, HexDigitsOfBothCases) {
    for (auto [digit, value] :
         {std::pair{'0', 0}, {'9', 9}, {'A', 10}, {'f', 15}, {'g', 255}, {'G', 255}, {';', 255}})
        EXPECT_EQ(amp::charToInt(digit), value) << digit;
}

TEST(SearchKTest, RowOfTheWorkingFrequencyOrElseTheNearestSegment) {
    core::Works works;
    core::BandConfigRow low, high, end;
    low.startFrequency = 1800000;
    low.kForw = 1.0e-6f, low.kRefl = 2.0e-6f, low.kPwrIn = 3.0e-6f, low.reflCorrection = -0.01f;
    high.startFrequency = 14000000;
    high.kForw = 4.0e-6f, high.kRefl = 5.0e-6f;
    end.startFrequency = 54000000;
    end.kForw = 9.0e-6f;  // the last row only closes the table
    works.bandConfig = {low, high, end};

    works.frequency = 7000000;
    for (int channel = 0; channel < 4; ++channel)
        EXPECT_FLOAT_EQ(amp::SearchK(works, channel),
                        (std::array{1.0e-6f, 2.0e-6f, 3.0e-6f, -0.01f})[channel]);
    works.frequency = 14000000;  // a row starts where the previous one ends
    EXPECT_FLOAT_EQ(amp::SearchK(works, 1), 5.0e-6f);
    // Outside every segment, and before any frequency is known, the nearest segment calibrates.
    for (auto [frequency, k] : {std::pair{1799999, 1.0e-6f},
                                {0, 1.0e-6f},
                                {-5, 1.0e-6f},
                                {54000000, 4.0e-6f},
                                {60000000, 4.0e-6f}}) {
        works.frequency = frequency;
        EXPECT_FLOAT_EQ(amp::SearchK(works, 0), k) << frequency;
    }
    works.bandConfig = {low};
    EXPECT_FLOAT_EQ(amp::SearchK(works, 1), 2.0e-6f);
}

}  // namespace
