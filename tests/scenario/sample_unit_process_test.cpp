// A new user's first tune: a fresh run root with the sample files, as run.sh
// prepares it, operated through the panel channel, the amplifier emulator
// keyed with the web page's default drive.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>

#include "panel_station.h"

namespace {

using namespace std::chrono_literals;
using testing_support::readAll;

// The drive the page's Transceiver box keys with unless the user changes it.
const std::string kPageDrive = "5";
const std::string kCarrierHz = "14100000";

class SampleUnitTune : public ::testing::TestWithParam<const char*>, protected testing_support::PanelStation {
  protected:
    void start() {
        ASSERT_TRUE(prepareSampleRoot());
        PanelStation::start();
    }
    void control(const std::string& command) { ASSERT_EQ(emulator.control(command).rfind("ok", 0), 0u); }
};

TEST_P(SampleUnitTune, ACompleteTuneIntoABadLoadIsStoredWithoutTrippingTheAmplifier) {
    start();
    control(std::string("load ") + GetParam());
    // The counter's frequency is taken only between carriers: a first short
    // carrier lets the station apply the band's row and its alarm thresholds.
    control("key " + kPageDrive + " " + kCarrierHz);
    control("unkey");
    ASSERT_TRUE(
        station->waitFor([&] { return station->log().find("ANTENNA TAB") != std::string::npos; }, 30s))
        << emulator.control("received");
    control("key " + kPageDrive + " " + kCarrierHz);
    press(4);
    press(3);  // complete tune
    // Seconds in the plain build, many times that under a sanitizer on a busy machine.
    EXPECT_TRUE(
        station->waitFor([&] { return station->log().find("Esc AutoTune") != std::string::npos; }, 100s))
        << emulator.control("state") << "\n"
        << station->log();
    const std::string log = station->log();
    EXPECT_EQ(log.find("NO TUNE!!"), std::string::npos);
    EXPECT_NE(readAll(root / "opt/set/atu_ant1.txt").find(" " + kCarrierHz + " 1 "), std::string::npos)
        << log;
    // Neither a latched protection nor the relays left in by-pass (the panel's "StdBy").
    EXPECT_EQ(emulator.stateValue("protection"), "00") << emulator.control("state");
    EXPECT_EQ(emulator.stateValue("bypassed"), "0") << emulator.control("state");
    const std::size_t tuneStart = log.find("START AUTOTUNE");
    ASSERT_NE(tuneStart, std::string::npos);
    EXPECT_FALSE(std::regex_search(log.substr(tuneStart), std::regex("Add: N: [0-9]+ err:15\n")))
        << log.substr(tuneStart);
    control("unkey");
}

INSTANTIATE_TEST_SUITE_P(Loads, SampleUnitTune, ::testing::Values("z 12 25", "swr 3"),
                         [](const ::testing::TestParamInfo<const char*>& load) {
                             return load.index == 0 ? std::string("Z12J25") : std::string("Swr3");
                         });

}  // namespace
