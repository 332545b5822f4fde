// The CAT poller against the FT-817 emulator: the real program follows the
// radio's band and the amplifier emulator sees the antenna table applied; and
// a standard CAT client reads the emulator's frequency.
#include "ft817_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
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

TEST(Ft817Process, TheRadiosBandMovesTheAmplifiersAntenna) {
    fs::path root = StationProcess::makeRoot();
    fs::create_directories(root / "opt/set");
    std::ofstream(root / "opt/set/antenna.txt")
        << "!817\n20m 14000000 14350000 1 2 0 0 0.0\n40m 7000000 7300000 1 3 0 0 0.0\n";
    testing_support::EmulatorProcess amp(root);
    testing_support::Ft817Process radio(root);
    ASSERT_TRUE(amp.ready());
    ASSERT_TRUE(radio.ready());
    StationProcess station({"--time-scale", "10"}, {}, root);

    auto reaches = [&](const std::string& frequency, const std::string& antenna) {
        return station.waitFor(
            [&] { return amp.stateValue("fa_hz") == frequency && amp.stateValue("antenna") == antenna; },
            std::chrono::seconds(60));
    };
    EXPECT_TRUE(reaches("14250000", "2")) << amp.control("state") << "\n" << station.log();
    ASSERT_EQ(radio.control("freq 7100000"), "ok frequency 7100000");
    EXPECT_TRUE(reaches("7100000", "3")) << amp.control("state");
    EXPECT_NE(station.log().find("---------------- OK works->catSerFD="), std::string::npos);
    EXPECT_EQ(station.stop(SIGTERM, std::chrono::seconds(30)), 0);
}

}  // namespace
