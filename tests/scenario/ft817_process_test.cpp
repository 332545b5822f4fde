// The CAT poller against the FT-817 emulator: the real program follows the
// radio's band and the amplifier emulator sees the antenna table applied, and
// gets back in step after a stray byte; and a standard CAT client reads the
// emulator's frequency.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "emulator_process.h"
#include "station_process.h"

namespace {

namespace fs = std::filesystem;
using testing_support::StationProcess;

bool rigctlInstalled() {
    for (const char* dir : {"/usr/bin", "/usr/local/bin"})
        if (fs::exists(fs::path(dir) / "rigctl")) return true;
    return false;
}

std::string commandOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    pclose(pipe);
    return output;
}

TEST(Ft817Process, AStandardCatClientReadsAndSetsTheFrequency) {
    if (!rigctlInstalled()) GTEST_SKIP() << "rigctl is not installed";
    fs::path root = StationProcess::makeRoot();
    {
        testing_support::Ft817Process radio(root);
        ASSERT_TRUE(radio.ready());
        ASSERT_EQ(radio.control("freq 21074000"), "ok frequency 21074000");
        std::string rigctl = "timeout 30 rigctl -m 1020 -s 38400 -r " + radio.port().string();
        EXPECT_EQ(commandOutput(rigctl + " f 2>/dev/null"), "21074000\n");
        commandOutput(rigctl + " F 7074000 2>/dev/null");
        EXPECT_EQ(radio.control("state").rfind("ok frequency 7074000 ", 0), 0u) << radio.control("state");
    }
    fs::remove_all(root);
}

// The amplifier emulator, the radio and the station on a bank for the
// FT-817 with a 20 m row on antenna 2 and a 40 m row on antenna 3.
class Ft817Station : public ::testing::Test {
  protected:
    void start(const std::string& timeScale) {
        fs::create_directories(root / "opt/set");
        std::ofstream(root / "opt/set/antenna.txt")
            << "!817\n20m 14000000 14350000 1 2 0 0 0.0\n40m 7000000 7300000 1 3 0 0 0.0\n";
        ASSERT_TRUE(amp.ready());
        ASSERT_TRUE(radio.ready());
        station = std::make_unique<StationProcess>(std::vector<std::string>{"--time-scale", timeScale},
                                                   std::vector<std::pair<std::string, std::string>>{}, root);
    }
    bool reaches(const std::string& frequency, const std::string& antenna) {
        return station->waitFor(
            [&] { return amp.stateValue("fa_hz") == frequency && amp.stateValue("antenna") == antenna; },
            std::chrono::seconds(60));
    }
    static int polls(const std::string& state) {
        return std::atoi(testing_support::Ft817Process::valueIn(state, "polls").c_str());
    }
    // The frequencies the amplifier was sent, oldest first.
    std::string frequenciesSent() {
        std::istringstream received(amp.control("received"));
        std::string word, sent;
        while (received >> word)
            if (word.rfind("FA", 0) == 0) sent += word + " ";
        return sent;
    }

    fs::path root = StationProcess::makeRoot();
    testing_support::EmulatorProcess amp{root};
    testing_support::Ft817Process radio{root};
    std::unique_ptr<StationProcess> station;
};

TEST_F(Ft817Station, TheRadiosBandMovesTheAmplifiersAntenna) {
    start("10");
    EXPECT_TRUE(reaches("14250000", "2")) << amp.control("state") << "\n" << station->log();
    ASSERT_EQ(radio.control("freq 7100000"), "ok frequency 7100000");
    EXPECT_TRUE(reaches("7100000", "3")) << amp.control("state");
    EXPECT_NE(station->log().find("---------------- OK works->catSerFD="), std::string::npos);
    EXPECT_EQ(station->stop(SIGTERM, std::chrono::seconds(30)), 0);
}

TEST_F(Ft817Station, AStrayByteBeforeAReplyCostsAtMostThatReply) {
    // Real time: a poll every 20 ms or so, slow beside the control channel.
    start("1");
    ASSERT_TRUE(reaches("14250000", "2")) << amp.control("state") << "\n" << station->log();
    ASSERT_EQ(radio.control("freq 7100000"), "ok frequency 7100000");
    ASSERT_EQ(radio.control("fault stray"), "ok fault stray for the next reply");
    // The radio answers the poll after the stray byte's and then falls silent,
    // so the station keeps whatever it made of those replies.
    int strayPoll = 0, silentFrom = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (silentFrom == 0 && std::chrono::steady_clock::now() < deadline) {
        const std::string state = radio.control("state");
        const int now = polls(state);
        if (strayPoll == 0 && testing_support::Ft817Process::valueIn(state, "fault_left") == "0")
            strayPoll = now;
        if (strayPoll != 0 && now >= strayPoll + 1) {
            ASSERT_EQ(radio.control("fault drop 1000000").rfind("ok", 0), 0u);
            silentFrom = polls(radio.control("state"));
        }
    }
    ASSERT_NE(silentFrom, 0) << radio.control("state");
    EXPECT_TRUE(reaches("7100000", "3"))
        << "polls seen from the stray byte's to the silence: " << silentFrom - strayPoll + 1 << "\n"
        << "frequencies sent: " << frequenciesSent();
    EXPECT_EQ(station->stop(SIGTERM, std::chrono::seconds(30)), 0);
}

}  // namespace
