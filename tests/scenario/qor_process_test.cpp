// The auxiliary link against the transceiver emulator: the real program
// follows the radio's band and antenna input, a tune started from the panel
// has the radio send its carrier into the amplifier emulator, and the
// operator's own transmission starts a tune.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "emulator_process.h"
#include "station_process.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::askSocket;
using testing_support::readAll;
using testing_support::StationProcess;

class QorProcess : public ::testing::Test {
  protected:
    // The amplifier emulator and the radio first, then the station on the
    // bank's antenna table, which names the maker's transceiver.
    void start(const std::string& antennaTable, const std::string& setup, double timeScale) {
        fs::create_directories(root / "opt/set");
        std::ofstream(root / "opt/set/antenna.txt") << "!Qor\n" << antennaTable;
        std::ofstream(root / "opt/set/setup.txt") << setup;
        ASSERT_TRUE(amp.ready());
        radio = std::make_unique<testing_support::QorProcess>(root, timeScale);
        ASSERT_TRUE(radio->ready());
        station = std::make_unique<StationProcess>(
            std::vector<std::string>{"--time-scale", std::to_string(timeScale)},
            std::vector<std::pair<std::string, std::string>>{}, root);
    }
    bool radioReceived(const std::string& commands, std::chrono::seconds limit) {
        return station->waitFor(
            [&] { return radio->control("received").find(commands) != std::string::npos; }, limit);
    }
    // The commands in this order, whatever else the radio received between them.
    bool radioReceivedInTurn(const std::vector<std::string>& commands, std::chrono::seconds limit) {
        return station->waitFor(
            [&] {
                const std::string received = radio->control("received");
                size_t at = 0;
                for (const std::string& command : commands) {
                    at = received.find(command, at);
                    if (at == std::string::npos) return false;
                    at += command.size();
                }
                return true;
            },
            limit);
    }

    fs::path root = StationProcess::makeRoot();
    testing_support::EmulatorProcess amp{root};
    std::unique_ptr<testing_support::QorProcess> radio;
    std::unique_ptr<StationProcess> station;
};

TEST_F(QorProcess, TheRadiosBandAndAntennaInputReachTheAmplifier) {
    start("20m 14000000 14350000 1 2 0 0 0.0\n40m 7000000 7300000 1 3 0 0 0.0\n", "", 10);
    auto reaches = [&](const std::string& frequency, const std::string& antenna) {
        return station->waitFor(
            [&] { return amp.stateValue("fa_hz") == frequency && amp.stateValue("antenna") == antenna; },
            60s);
    };
    EXPECT_TRUE(reaches("14250000", "2")) << amp.control("state") << "\n" << station->log();
    ASSERT_EQ(radio->control("freq 7100000"), "ok frequency 7100000");
    EXPECT_TRUE(reaches("7100000", "3")) << amp.control("state");
    ASSERT_EQ(radio->control("antenna 2"), "ok antenna 2");
    EXPECT_TRUE(station->waitFor([&] { return amp.stateValue("antenna_in") == "2"; }, 60s))
        << amp.control("state");
    EXPECT_NE(station->log().find("------------------ OK works->serFD="), std::string::npos);
    EXPECT_EQ(station->stop(SIGTERM, 30s), 0);
}

TEST_F(QorProcess, BlocksCutShortSendTheAmplifierNoFrequencyButTheRadios) {
    start("20m 14000000 14350000 1 2 0 0 0.0\n40m 7000000 7300000 1 3 0 0 0.0\n", "", 10);
    ASSERT_TRUE(station->waitFor([&] { return amp.stateValue("fa_hz") == "14250000"; }, 60s))
        << amp.control("state") << "\n"
        << station->log();
    ASSERT_EQ(amp.control("clear-received"), "ok cleared");
    ASSERT_EQ(radio->control("freq 7100000"), "ok frequency 7100000");
    ASSERT_EQ(radio->control("fault cut 30"), "ok fault cut for the next 30 messages");
    ASSERT_TRUE(
        station->waitFor([&] { return radio->control("state").ends_with(" fault none fault_left 0"); }, 60s))
        << radio->control("state");
    EXPECT_TRUE(station->waitFor(
        [&] { return amp.stateValue("fa_hz") == "7100000" && amp.stateValue("antenna") == "3"; }, 60s))
        << amp.control("state");
    std::istringstream received(amp.control("received"));
    std::string word, wrong;
    while (received >> word)
        if (word.starts_with("FA") && word != "FA00014250000;" && word != "FA00007100000;")
            wrong += word + " ";
    EXPECT_EQ(wrong, "") << "frequencies sent that the radio never had";
    EXPECT_EQ(station->stop(SIGTERM, 30s), 0);
}

TEST_F(QorProcess, ATuneFromThePanelKeysTheRadiosCarrierAndReturnsToReceive) {
    start("20m 14000000 14350000 1 1 0 0 5.0\n", "AutoTuneMode: 1\nTUNEenabled: 1\nSWRescAutoTune: 130\n", 4);
    ASSERT_TRUE(station->waitFor(
        [&] { return station->log().find("Keyboard function entered") != std::string::npos; }, 60s))
        << station->log();
    // The band's drive power reaches the radio before any tune.
    EXPECT_TRUE(radioReceived("TQ5000;", 60s)) << radio->control("received");
    ASSERT_EQ(amp.control("load z 12 25").rfind("ok", 0), 0u);
    ASSERT_EQ(askSocket(root / "run/panel.sock", "press 4"), "ok");  // the tune menu
    ASSERT_EQ(askSocket(root / "run/panel.sock", "press 3"), "ok");  // complete tune
    EXPECT_TRUE(radioReceived("TU120; TX2;", 60s)) << radio->control("received") << "\n" << station->log();
    EXPECT_TRUE(station->waitFor([&] { return amp.stateValue("keyed") == "1"; }, 60s))
        << amp.control("state");
    EXPECT_EQ(amp.stateValue("drive"), "5.00");
    // Seconds in the plain build; a sanitizer build runs the search many times slower.
    EXPECT_TRUE(station->waitFor(
        [&] { return readAll(root / "opt/set/atu_ant1.txt").find(" 14250000 1 ") != std::string::npos; },
        300s))
        << amp.control("state") << "\n"
        << radio->control("received");
    // The band's drive power may be sent again meanwhile.
    EXPECT_TRUE(radioReceivedInTurn({"TU120;", "TX2;", "RX;"}, 60s)) << radio->control("received");
    EXPECT_TRUE(station->waitFor([&] { return amp.stateValue("keyed") == "0"; }, 60s))
        << amp.control("state");
    EXPECT_EQ(radio->control("state"),
              "ok frequency 14250000 tx 0 drive_mw 5000 antenna 0 fault none fault_left 0");
}

TEST_F(QorProcess, TheOperatorsOwnTransmissionStartsATuneThatEndsInReceive) {
    start("20m 14000000 14350000 1 1 0 0 0.0\n", "AutoTuneMode: 1\nTUNEenabled: 1\nSWRescAutoTune: 130\n", 4);
    ASSERT_TRUE(station->waitFor(
        [&] { return station->log().find("Keyboard function entered") != std::string::npos; }, 60s))
        << station->log();
    ASSERT_EQ(amp.control("load z 12 25").rfind("ok", 0), 0u);
    ASSERT_EQ(radio->control("tx on"), "ok tx 1");
    EXPECT_TRUE(station->waitFor(
        [&] { return readAll(root / "opt/set/atu_ant1.txt").find(" 14250000 1 ") != std::string::npos; },
        300s))
        << amp.control("state") << "\n"
        << station->log();
    // The tune over, the station takes the radio back to receive; it asked for no carrier of its own.
    EXPECT_TRUE(radioReceived("RX;", 60s)) << radio->control("received");
    EXPECT_EQ(radio->control("received").find("TX2;"), std::string::npos) << radio->control("received");
    EXPECT_TRUE(station->waitFor([&] { return amp.stateValue("keyed") == "0"; }, 60s))
        << amp.control("state");
}

}  // namespace
