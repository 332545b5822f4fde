#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "emulator_child.h"
#include "emulator_process.h"
#include "remote_client_process.h"
#include "sim/remote/wav_file.h"
#include "station_process.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

// The transceiver's CAT port, linked at /dev/ttyUSB0 of the run root before the station starts.
fs::path makeRoot() {
    std::string pattern = (fs::temp_directory_path() / "brisel-audio-XXXXXX").string();
    return mkdtemp(pattern.data());
}

// The loudest sample among the 16-bit samples.
int peak(const std::vector<int16_t>& samples) {
    int loudest = 0;
    for (int16_t sample : samples) loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
    return loudest;
}

// A station at four times real speed with the remote audio and CAT enabled,
// its transceiver's CAT port and auxiliary link emulated: the remote client receives the
// station's test signal, sends a tone that the playback device plays, and
// talks CAT with the transceiver.
TEST(RemoteAudioProcess, AudioAndCatTravelBothWays) {
    const fs::path root = makeRoot();
    testing_support::EmulatorChild transceiver({CAT_EMULATOR_BINARY, "--root", root.string()},
                                               "cat-emulator ready");
    ASSERT_TRUE(transceiver.ready());
    // Its auxiliary link reports the audio enabled: the operator's audio may be played.
    testing_support::QorProcess link(root, 4);
    ASSERT_TRUE(link.ready());
    const int port = testing_support::freeLoopbackPort();
    testing_support::StationProcess station(
        {"--time-scale", "4"},
        {{"/opt/set/setup.txt", "Passphrase: Secret7\nTcpPort: " + std::to_string(port) +
                                    "\nAudioCompress: 30000\nEnableRead: 1\nEnableWrite: 1\nEnableCAT: 1\n"}},
        root);
    ASSERT_TRUE(station.waitFor(
        [&] {
            const std::string log = station.log();
            return log.find("OK works->catFD=") != std::string::npos &&
                   log.find("capture audio interface hw:1 opened") != std::string::npos;
        },
        seconds(60)))
        << station.log();
    EXPECT_NE(station.log().find("Remote GO!"), std::string::npos);

    {
        remote_client::WavWriter tone;
        ASSERT_TRUE(tone.open((root / "tone.wav").string()));
        std::vector<int16_t> samples(2 * 48000);
        for (size_t frame = 0; frame < 48000; ++frame)
            samples[2 * frame] = samples[2 * frame + 1] = static_cast<int16_t>(
                6000 * std::sin(2 * std::numbers::pi * 440.0 * static_cast<double>(frame) / 48000.0));
        tone.write(samples.data(), 48000);
    }
    testing_support::ClientProcess client(
        root, "audio",
        {"--port", std::to_string(port), "--pass", "Secret7", "--seconds", "3", "--cat", "FA;", "--cat",
         "MD;", "--audio-out", (root / "received.wav").string(), "--audio-in", (root / "tone.wav").string(),
         "--config", "30000,1,10000,10000,10"});
    ASSERT_EQ(client.wait(seconds(30)), 0) << client.err();
    const std::string out = client.out();
    EXPECT_NE(out.find("CA FA00014074000;"), std::string::npos) << out;
    EXPECT_NE(out.find("CA MD2;"), std::string::npos) << out;
    EXPECT_NE(client.err().find("100 audio chunks sent"), std::string::npos) << client.err();

    std::string error;
    const std::optional<std::vector<int16_t>> received =
        remote_client::readWav((root / "received.wav").string(), error);
    ASSERT_TRUE(received) << error;
    EXPECT_GT(received->size() / 2, 48000u) << "at least a second of the station's audio";
    EXPECT_GT(peak(*received), 6000) << "the station's 1 kHz test tone";

    // What the playback device played: the client's tone after the pre-fill.
    std::ifstream played(root / "tmp/audio-out.raw", std::ios::binary);
    std::vector<int16_t> samples;
    int16_t sample = 0;
    while (played.read(reinterpret_cast<char*>(&sample), sizeof sample)) samples.push_back(sample);
    EXPECT_GT(samples.size() / 2, 48000u);
    EXPECT_GT(peak(samples), 4000) << "the client's 440 Hz tone was played";
}

}  // namespace
