// A remote client that stops reading, against the real station with its
// remote audio on and the transceiver's auxiliary link streaming: the
// threads that feed the client go on at their own pace, measured by the
// transceiver emulator (how long its messages waited for the station's
// reader) and by the simulated capture device (how late the capture thread
// came for its sound), and the client is let go.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "emulator_child.h"
#include "emulator_process.h"
#include "remote_client_process.h"
#include "sim/remote/remote_client.h"
#include "station_process.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;
using testing_support::occurrences;

constexpr int kTimeScale = 2;

// The longest "sim: capture read N ms late" in the log text, in ms of the station's clock.
long longestCaptureLateness(const std::string& log) {
    long longest = 0;
    const std::string words = "sim: capture read ";
    for (size_t at = log.find(words); at != std::string::npos; at = log.find(words, at + 1)) {
        long late = 0;
        if (std::sscanf(log.c_str() + at + words.size(), "%ld ms late", &late) == 1)
            longest = std::max(longest, late);
    }
    return longest;
}

TEST(RemoteWriterProcess, AClientThatStopsReadingHoldsUpNoThreadThatFeedsIt) {
    const fs::path root = testing_support::StationProcess::makeRoot();
    testing_support::EmulatorChild cat({CAT_EMULATOR_BINARY, "--root", root.string()}, "cat-emulator ready");
    ASSERT_TRUE(cat.ready());
    testing_support::QorProcess link(root, kTimeScale);
    ASSERT_TRUE(link.ready());
    const int port = testing_support::freeLoopbackPort();
    testing_support::StationProcess station(
        {"--time-scale", std::to_string(kTimeScale)},
        {{"/opt/set/setup.txt", "Passphrase: Secret7\nTcpPort: " + std::to_string(port) +
                                    "\nAudioCompress: 30000\nEnableRead: 1\nEnableWrite: 1\nEnableCAT: 1\n"}},
        root);
    ASSERT_TRUE(station.waitFor(
        [&] {
            const std::string log = station.log();
            return log.find("capture audio interface hw:1 opened") != std::string::npos &&
                   log.find("OK works->serFD=") != std::string::npos &&
                   log.find("Listening on port") != std::string::npos;
        },
        seconds(60)))
        << station.log();

    const size_t before = station.log().size();
    ASSERT_TRUE(link.control("lag").starts_with("ok lag_ms "));
    remote_client::Endpoint endpoint;
    endpoint.port = static_cast<uint16_t>(port);
    // Two clients one after the other, each asking for raw sound (about 400 kB a
    // second at this clock) and then reading nothing while its heartbeat goes on.
    for (size_t client = 1; client <= 2; ++client) {
        remote_client::RemoteClient silent;
        ASSERT_EQ(silent.connect(endpoint), "");
        ASSERT_TRUE(silent.login("Secret7"));
        ASSERT_TRUE(silent.sendAudioConfig(0, 0, 10000, 10000, 10));
        ASSERT_TRUE(station.waitFor(
            [&] { return occurrences(station.log().substr(before), "TCP closed") >= client; }, seconds(60)))
            << station.log().substr(before);
    }
    const std::string episode = station.log().substr(before);
    const std::string lag = link.control("lag");
    long auxiliaryLag = -1;
    ASSERT_EQ(std::sscanf(lag.c_str(), "ok lag_ms %ld", &auxiliaryLag), 1) << lag;
    const long captureLate = longestCaptureLateness(episode) / kTimeScale;
    std::printf(
        "longest wait of the auxiliary link's messages %ld ms, of the capture thread %ld ms (real time)\n",
        auxiliaryLag, captureLate);
    EXPECT_GE(occurrences(episode, "client not reading"), 2u) << episode;
    // The client is let go once a frame has waited half a second for it; a
    // thread that fed it directly would have waited all that time. The margin
    // below it is for a busy machine, not a speed goal.
    constexpr long kHeldByTheClient = 350;
    EXPECT_LT(auxiliaryLag, kHeldByTheClient) << episode;
    EXPECT_LT(captureLate, kHeldByTheClient) << episode;

    std::string out;
    testing_support::ClientProcess next(
        root, "next", {"--port", std::to_string(port), "--pass", "Secret7", "--count", "5"});
    EXPECT_EQ(next.wait(seconds(30)), 0) << next.err();
    EXPECT_EQ(occurrences(next.out(), "ST band="), 5u) << next.out();
}

}  // namespace
