#include "sim/amp/tuner_network.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/tune_value_bits.h"
#include "sim/amp/antenna_load.h"

namespace {

using sim::Impedance;
using sim::TunerSetting;

constexpr TunerSetting kBypass{0, 0, tuner::kModeBypass};

double swrThrough(TunerSetting setting, Impedance load, double hz) {
    return sim::swrOf(sim::networkInput(setting, load, hz));
}

TEST(TunerNetwork, BypassAndWordsWithoutOneNetworkGiveTheLoadItself) {
    const Impedance load{100.0, 0.0};
    EXPECT_NEAR(sim::swrOf(load), 2.0, 1e-12);
    EXPECT_NEAR(sim::reflectionShare(load), 1.0 / 9, 1e-12);
    uint32_t settled = tuner::withInductor(tuner::withCapacitor(0, 300), 200);
    using core::tuneValue::Bypass, core::tuneValue::NetworkCL;
    for (uint32_t word : {settled | Bypass, settled, settled | Bypass | NetworkCL}) {
        TunerSetting setting = sim::tunerSettingFromWord(word);
        EXPECT_EQ(setting.c, 300);
        EXPECT_EQ(setting.l, 200);
        EXPECT_EQ(sim::networkInput(setting, load, 14.2e6), load) << std::hex << word;
    }
    EXPECT_EQ(sim::tunerSettingFromWord(settled | core::tuneValue::NetworkLC).mode, tuner::kModeLC);
    EXPECT_TRUE(std::isinf(sim::swrOf({0.0, 50.0}))) << "a pure reactance reflects everything";
}

TEST(TunerNetwork, BothNetworksAtZeroAreNearlyTransparentOnHfAndHandComputedSettingsMatchOneWayRound) {
    for (uint8_t mode : {tuner::kModeCL, tuner::kModeLC}) {
        EXPECT_LT(swrThrough({0, 0, mode}, {50.0, 0.0}, 14.2e6), 1.02);
        EXPECT_NEAR(swrThrough({0, 0, mode}, {150.0, 0.0}, 7.1e6), 3.0, 0.05);
    }
    // The textbook L network for a resistive load, rounded to the nearest steps:
    // C = 777 pF and 0.485 uH for 12.5 ohms at 7.1 MHz, 97 pF and 0.97 uH for
    // 200 ohms at 14.2 MHz. Only the orientation that fits the load matches.
    EXPECT_LT(swrThrough({154, 9, tuner::kModeCL}, {12.5, 0.0}, 7.1e6), 1.2);
    EXPECT_GT(swrThrough({154, 9, tuner::kModeLC}, {12.5, 0.0}, 7.1e6), 3.0);
    EXPECT_LT(swrThrough({18, 19, tuner::kModeLC}, {200.0, 0.0}, 14.2e6), 1.2);
    EXPECT_GT(swrThrough({18, 19, tuner::kModeCL}, {200.0, 0.0}, 14.2e6), 3.0);
}

TEST(TunerNetwork, TheExhaustiveBestFindsAMatchForTypicalLoads) {
    struct Case {
        Impedance load;
        double hz;
        uint8_t mode;
    };
    const Case cases[] = {
        {{12.5, 0.0}, 7.1e6, tuner::kModeCL},  {{200.0, 0.0}, 14.2e6, tuner::kModeLC},
        {{25.0, 0.0}, 50.1e6, tuner::kModeCL}, {{100.0, 0.0}, 50.1e6, tuner::kModeLC},
        {{300.0, 0.0}, 3.6e6, tuner::kModeLC}, {{12.0, 25.0}, 14.1e6, tuner::kModeLC},
    };
    for (const Case& c : cases) {
        sim::BestTune best = sim::bestTune(c.load, c.hz);
        EXPECT_LT(best.swr, 1.2) << c.load << " at " << c.hz;
        EXPECT_EQ(best.setting.mode, c.mode) << c.load << " at " << c.hz;
        EXPECT_NEAR(swrThrough(best.setting, c.load, c.hz), best.swr, 1e-9) << "the model agrees";
    }
    // 50 - j100 ohms at 28 MHz only needs +100 ohms in series: about 0.55 uH.
    sim::BestTune capacitive = sim::bestTune({50.0, -100.0}, 28e6);
    EXPECT_LT(capacitive.swr, 1.2);
    EXPECT_NEAR(capacitive.setting.l, 11, 1);
    EXPECT_LE(capacitive.setting.c, 2);

    sim::BestTune matched = sim::bestTune({50.0, 0.0}, 14.2e6);
    EXPECT_EQ(matched.setting, kBypass) << "nothing beats the by-pass on a matched load";
    EXPECT_DOUBLE_EQ(matched.swr, 1.0);
    EXPECT_GT(sim::bestTune({12.5, 0.0}, 1.85e6).swr, 1.2) << "160 m needs more than 2555 pF here";
}

TEST(TunerNetwork, TheDipoleIsSeventyOhmsAtResonanceAndReactiveEitherSide) {
    sim::AntennaLoad dipole = sim::AntennaLoad::dipole(14.2e6);
    EXPECT_EQ(dipole.at(14.2e6), Impedance(70.0, 0.0));
    EXPECT_NEAR(dipole.at(14.2e6 * 1.01).imag(), 16.8, 0.2);
    EXPECT_NEAR(dipole.at(14.2e6 / 1.01).imag(), -16.8, 0.2);
    EXPECT_TRUE(std::isfinite(dipole.at(0).imag()));
    EXPECT_EQ(dipole.describe(), "dipole:14200000");
    EXPECT_LT(sim::bestTune(dipole.at(14.35e6), 14.35e6).swr, 1.2);

    sim::AntennaLoad resistive = sim::AntennaLoad::resistive(2.5);
    EXPECT_EQ(resistive.at(7e6), Impedance(125.0, 0.0));
    EXPECT_EQ(resistive.describe(), "z:125.00,0.00");
    EXPECT_EQ(sim::AntennaLoad().at(50e6), Impedance(50.0, 0.0));
}

}  // namespace
