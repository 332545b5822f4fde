// The transceiver links under faults: stray bytes, garbage, cut or late
// messages, then minutes of silence (in the station's time), then normal
// traffic. Afterwards the station follows the radio again, answers its keys
// and ends cleanly.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "emulator_process.h"
#include "station_process.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::askSocket;
using testing_support::StationProcess;

// The station's clock runs this many times faster than the test's, so that
// the silence lasts minutes for the station and seconds for the test.
constexpr int kTimeScale = 10;
constexpr auto kSilence = 15s;  // two and a half minutes for the station

class RadioLinkFaults : public ::testing::Test {
  protected:
    void startStation(const std::string& radioName) {
        fs::create_directories(root / "opt/set");
        std::ofstream(root / "opt/set/antenna.txt")
            << "!" << radioName << "\n20m 14000000 14350000 1 2 0 0 0.0\n40m 7000000 7300000 1 3 0 0 0.0\n";
        ASSERT_TRUE(amp.ready());
    }
    void runStation() {
        station = std::make_unique<StationProcess>(
            std::vector<std::string>{"--time-scale", std::to_string(kTimeScale)},
            std::vector<std::pair<std::string, std::string>>{}, root);
        ASSERT_TRUE(station->waitFor(
            [&] { return station->log().find("Keyboard function entered") != std::string::npos; }, 60s))
            << station->log();
    }
    bool reaches(const std::string& frequency, const std::string& antenna) {
        return station->waitFor(
            [&] { return amp.stateValue("fa_hz") == frequency && amp.stateValue("antenna") == antenna; },
            60s);
    }
    // The keys answer and SIGTERM ends the station as its exit does.
    void expectAnsweringAndEndingCleanly() {
        EXPECT_EQ(askSocket(root / "run/panel.sock", "press 2"), "ok");
        EXPECT_EQ(station->stop(SIGTERM, 30s), 0) << station->log();
    }

    fs::path root = StationProcess::makeRoot();
    testing_support::EmulatorProcess amp{root};
    std::unique_ptr<StationProcess> station;
};

TEST_F(RadioLinkFaults, TheFt817PollerComesBackAfterStrayBytesGarbageLateRepliesAndSilence) {
    startStation("817");
    testing_support::Ft817Process radio(root);
    ASSERT_TRUE(radio.ready());
    runStation();
    ASSERT_TRUE(reaches("14250000", "2")) << amp.control("state") << "\n" << station->log();
    for (const char* fault : {"fault stray 5", "fault garbage 5", "fault late 5"}) {
        ASSERT_EQ(radio.control(fault).rfind("ok", 0), 0u) << fault;
        ASSERT_TRUE(station->waitFor(
            [&] {
                return testing_support::Ft817Process::valueIn(radio.control("state"), "fault_left") == "0";
            },
            60s))
            << fault;
    }
    ASSERT_EQ(radio.control("fault drop 1000000").rfind("ok", 0), 0u);
    std::this_thread::sleep_for(kSilence);
    ASSERT_EQ(radio.control("fault none").rfind("ok", 0), 0u);
    ASSERT_EQ(radio.control("freq 7100000"), "ok frequency 7100000");
    EXPECT_TRUE(reaches("7100000", "3")) << amp.control("state") << "\n" << station->log();
    expectAnsweringAndEndingCleanly();
}

TEST_F(RadioLinkFaults, TheAuxiliaryLinkComesBackAfterCutMessagesStrayBytesGarbageAndSilence) {
    startStation("Qor");
    testing_support::QorProcess radio(root, kTimeScale);
    ASSERT_TRUE(radio.ready());
    runStation();
    ASSERT_TRUE(reaches("14250000", "2")) << amp.control("state") << "\n" << station->log();
    for (const char* fault : {"fault cut 5", "fault stray 5", "fault garbage 5"}) {
        ASSERT_EQ(radio.control(fault).rfind("ok", 0), 0u) << fault;
        ASSERT_TRUE(station->waitFor(
            [&] { return radio.control("state").find("fault_left 0") != std::string::npos; }, 60s))
            << fault << ": " << radio.control("state");
    }
    ASSERT_EQ(radio.control("fault drop 1000000").rfind("ok", 0), 0u);
    std::this_thread::sleep_for(kSilence);
    ASSERT_EQ(radio.control("fault none").rfind("ok", 0), 0u);
    ASSERT_EQ(radio.control("freq 7100000").rfind("ok", 0), 0u);
    EXPECT_TRUE(reaches("7100000", "3")) << amp.control("state") << "\n" << station->log();
    expectAnsweringAndEndingCleanly();
}

}  // namespace
