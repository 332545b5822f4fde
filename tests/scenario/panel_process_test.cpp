// The station operated as a user does, through the panel channel only,
// with the amplifier emulator on its link.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "panel_station.h"

namespace {

using namespace std::chrono_literals;
using testing_support::readAll;

class PanelProcess : public ::testing::Test, protected testing_support::PanelStation {
  protected:
    PanelProcess() {
        writeFile("/opt/set/antenna.txt", "!Gen\n20m 14000000 14350000 1 1 0 0 0.0\n");
        writeFile("/opt/set/setup.txt", "AutoTuneMode: 1\nTUNEenabled: 1\nSWRescAutoTune: 130\n");
    }

    bool received(const std::string& payload, std::chrono::seconds limit) {
        return station->waitFor(
            [&] { return emulator.control("received").find(payload) != std::string::npos; }, limit);
    }
    // The first error-key press takes the start-up warnings down instead of acting.
    void pressUntilReceived(int key, const std::string& payload) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            press(key);
            if (received(payload, 3s)) return;
        }
        FAIL() << payload << " never reached the amplifier\n" << emulator.control("received");
    }
};

TEST_F(PanelProcess, ASettingChangedInTheMenuReachesTheSetupFile) {
    start();
    press(5);  // SET: the first item is the number of banks
    press(6);
    press(5);  // +
    press(6);  // ENTER saves
    EXPECT_TRUE(station->waitFor(
        [&] { return readAll(root / "opt/set/setup.txt").find("MAXbank: 4\n") != std::string::npos; }, 10s))
        << readAll(root / "opt/set/setup.txt");
}

TEST_F(PanelProcess, ManualTuneStepsReachTheAmplifier) {
    start();
    press(4);  // the tune menu
    pressUntilReceived(6, "MT;");
    emulator.control("clear-received");
    press(3);  // up L
    press(3);
    press(5);  // up C
    // A press that a loaded machine stretches past a long press repeats: at
    // least the steps pressed arrive.
    EXPECT_TRUE(station->waitFor(
        [&] {
            return std::atoi(emulator.stateValue("tuner_l").c_str()) >= 2 &&
                   std::atoi(emulator.stateValue("tuner_c").c_str()) >= 1;
        },
        10s))
        << emulator.control("state") << "\n"
        << emulator.control("received");
}

TEST_F(PanelProcess, AnAutomaticTuneFromTheTuneMenuIsStored) {
    start();
    ASSERT_EQ(emulator.control("load z 12 25").rfind("ok", 0), 0u);
    // The counter's frequency is polled only between tunes, and the tune is
    // stored at the frequency known when it ends: the station must have read
    // the carrier's frequency (its band's antenna row applied) before the tune.
    ASSERT_EQ(emulator.control("key 10 14100000").rfind("ok", 0), 0u);
    ASSERT_EQ(emulator.control("unkey").rfind("ok", 0), 0u);
    ASSERT_TRUE(
        station->waitFor([&] { return station->log().find("ANTENNA TAB") != std::string::npos; }, 30s))
        << emulator.control("received");
    ASSERT_EQ(emulator.control("load z 12 25").rfind("ok", 0), 0u);
    ASSERT_EQ(emulator.control("key 10 14100000").rfind("ok", 0), 0u);
    press(4);
    press(3);  // complete tune
    // Seconds in the plain build; a sanitizer build on a busy machine runs the
    // search many times slower. The limit stays below the test's own time-out
    // so that a failure shows what happened.
    EXPECT_TRUE(station->waitFor(
        [&] { return readAll(root / "opt/set/atu_ant1.txt").find(" 14100000 1 ") != std::string::npos; },
        100s))
        << emulator.control("state") << "\n"
        << station->log();
    emulator.control("unkey");
}

// The event lines of the station's log, without their time stamps.
std::vector<std::string> eventLines(const std::string& log) {
    std::vector<std::string> events;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const auto at = line.find("] EVENT ");
        if (at != std::string::npos) events.push_back(line.substr(at + 2));
    }
    return events;
}

long told(const std::vector<std::string>& events, const std::string& start) {
    return std::count_if(events.begin(), events.end(),
                         [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

TEST_F(PanelProcess, ABankChangeAndATuneAreToldInTheLogOnceEach) {
    writeFile("/opt/set/antenna_b1.txt", "!Gen\n20m 14000000 14350000 1 1 0 0 0.0\n");
    start();
    ASSERT_EQ(emulator.control("key 10 14100000").rfind("ok", 0), 0u);
    ASSERT_EQ(emulator.control("unkey").rfind("ok", 0), 0u);
    ASSERT_TRUE(logged("EVENT band 20m: 14.100000 MHz", 30s)) << station->log();

    press(1);  // the next bank: receiving, no protection locks the key
    ASSERT_TRUE(logged("EVENT bank 1: interface Generic", 10s)) << station->log();
    // The new bank's table applies at once, at the frequency known.
    ASSERT_TRUE(station->waitFor(
        [&] { return told(eventLines(station->log()), "EVENT band 20m: 14.100000 MHz") >= 2; }, 10s))
        << station->log();

    ASSERT_EQ(emulator.control("load z 12 25").rfind("ok", 0), 0u);
    ASSERT_EQ(emulator.control("key 10 14100000").rfind("ok", 0), 0u);
    press(4);
    press(3);  // complete tune
    // A sanitizer build on a busy machine runs the search many times slower.
    ASSERT_TRUE(logged("EVENT tune stored: SWR ", 100s)) << emulator.control("state") << "\n"
                                                         << station->log();
    emulator.control("unkey");

    const std::vector<std::string> events = eventLines(station->log());
    EXPECT_EQ(told(events, "EVENT bank "), 1) << station->log();
    EXPECT_EQ(told(events, "EVENT tune started from the panel: complete search at 14.100000 MHz, antenna 1"),
              1)
        << station->log();
    EXPECT_EQ(told(events, "EVENT tune "), 2) << "one start, one end\n" << station->log();
    const auto stored = std::find_if(events.begin(), events.end(), [](const std::string& line) {
        return line.rfind("EVENT tune stored: ", 0) == 0;
    });
    ASSERT_NE(stored, events.end());
    EXPECT_NE(stored->find(", 14.100000 MHz, antenna 1, bank 1"), std::string::npos) << *stored;
}

}  // namespace
