#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

#include "core/error_codes.h"
#include "core/errors.h"
#include "platform/sim/scaled_clock.h"
#include "remote/audio_capture.h"
#include "remote/audio_playback.h"
#include "remote/client_writer.h"
#include "test_station.h"

namespace {

using namespace std::chrono_literals;

// The audio threads on the simulated sound devices (ALSA's file plugin under
// the run root). The devices are paced by the station's clock as a real one
// is by its sample rate; a clock that cost no time would let capture fill the
// client's queue before its writer ever ran. Ten times real speed keeps the
// waits short and leaves the writer and the client seconds of queue.
class AudioThreads : public ::testing::Test {
  protected:
    AudioThreads() : station(std::make_unique<platform::ScaledClock>(10.0)) {
        socketpair(AF_UNIX, SOCK_STREAM, 0, client_);
        works.running = 1;
        works.errorsHeld = 0;
        works.captureFrames = 480;
        works.playbackFrames = 480;
        works.bufferChunks = 10;
        works.txBitrate = 0;
        std::strcpy(setup.AudioIn, "hw:1");
        std::strcpy(setup.AudioOut, "hw:1");
        std::strcpy(setup.InChannels, "2");
    }
    ~AudioThreads() override {
        works.running = 0;
        writer.reset();
        ::close(client_[0]);
        ::close(client_[1]);
    }
    void connectClient() {
        writer = std::make_unique<remote::ClientWriter>(works, client_[0]);
        works.clientFrames.admit();
        works.wsActive = 1;
    }
    // Waits, in real time, for a condition another thread brings about.
    static bool eventually(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!condition())
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            else
                std::this_thread::sleep_for(1ms);
        return true;
    }

    testing_support::TestStation station;
    core::Works& works = station.works;
    core::SetupRecord& setup = station.setup;
    int client_[2] = {-1, -1};
    std::unique_ptr<remote::ClientWriter> writer;
};

// Clearing EnableWrite ends the playback thread wherever it waits, and
// nothing else: the program keeps running and no error is raised.
TEST_F(AudioThreads, PlaybackEndsByItselfWhenEnableWriteDrops) {
    struct Case {
        const char* name;
        bool client;  // a client is in but sends no audio: the wait for the pre-fill
    };
    for (const Case& c : {Case{"waiting for a client", false}, Case{"waiting for the pre-fill", true}}) {
        SCOPED_TRACE(c.name);
        setup.EnableWrite = '1';
        works.wsActive = 0;
        if (c.client) connectClient();
        works.sndPlaying = 0;
        std::thread playback([this] { remote::th_scrivi(works); });
        EXPECT_TRUE(eventually([&] { return works.playbackReady == 1; }));
        setup.EnableWrite = '0';
        playback.join();
        EXPECT_EQ(works.running, 1);
        EXPECT_EQ(works.playbackReady, 0);
        EXPECT_FALSE(core::ExistError(works, core::err::AudioWrite));
    }
}

TEST_F(AudioThreads, AnOutputDeviceThatCannotBeOpenedRaisesErrorTen) {
    std::strcpy(setup.AudioOut, "nosuchdevice");
    setup.EnableWrite = '1';
    remote::th_scrivi(works);
    EXPECT_TRUE(station.log.contains("th_scrivi cannot open output audio device nosuchdevice"));
    EXPECT_TRUE(core::ExistError(works, core::err::AudioWrite));
    EXPECT_EQ(setup.EnableWrite, '0');
    EXPECT_EQ(works.remoteFault, 1);
    EXPECT_EQ(works.running, 1);
}

// Capture reads the test signal through ALSA and sends raw chunks to the client.
TEST_F(AudioThreads, CaptureSendsTheTestSignalToTheClient) {
    connectClient();
    setup.EnableRead = '1';
    std::thread capture([this] { remote::th_leggi(works); });
    std::vector<uint8_t> received;
    EXPECT_TRUE(eventually([&] {
        uint8_t bytes[8192];
        const ssize_t count = ::recv(client_[1], bytes, sizeof bytes, MSG_DONTWAIT);
        if (count > 0) received.insert(received.end(), bytes, bytes + count);
        return received.size() >= 2 * (480 * 4 + 6);
    }));
    setup.EnableRead = '0';
    capture.join();
    ASSERT_GE(received.size(), 6u + 480 * 4);
    // A long frame of "SO" with 480 stereo frames, the tone's first samples.
    EXPECT_EQ(received[0], 0x82);
    EXPECT_EQ(received[4], 'S');
    EXPECT_EQ(received[5], 'O');
    int loudest = 0;
    for (size_t at = 6; at + 1 < 6 + 480 * 4; at += 2)
        loudest = std::max(
            loudest, std::abs(static_cast<int>(static_cast<int16_t>(received[at] | received[at + 1] << 8))));
    EXPECT_GT(loudest, 7000);
    EXPECT_TRUE(station.log.contains("capture audio interface hw:1 opened"));
    EXPECT_TRUE(station.log.contains("th_leggi END"));
    EXPECT_FALSE(core::ExistError(works, core::err::AudioRead));
}

TEST_F(AudioThreads, CaptureRefusesAChannelCountOtherThanTwo) {
    std::strcpy(setup.InChannels, "1");
    setup.EnableRead = '1';
    remote::th_leggi(works);
    EXPECT_TRUE(station.log.contains("capture with 1 channels refused"));
    EXPECT_TRUE(core::ExistError(works, core::err::AudioRead));
    EXPECT_EQ(setup.EnableRead, '0');
}

}  // namespace
