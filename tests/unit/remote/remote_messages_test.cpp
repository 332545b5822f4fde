#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fake_serial_port.h"
#include "remote/frame_builder.h"
#include "remote/frame_reader.h"
#include "remote/frame_writers.h"
#include "remote/message_dispatch.h"
#include "test_station.h"

namespace {

using Bytes = std::vector<uint8_t>;
using platform::SystemAction;
using remote::Dispatch;

Bytes text(const std::string& value) {
    return {value.begin(), value.end()};
}

remote::Frame frameOf(const Bytes& bytes) {
    remote::Frame frame;
    std::copy(bytes.begin(), bytes.end(), frame.bytes.begin());
    frame.size = bytes.size();
    return frame;
}

Bytes word(uint32_t value) {
    Bytes bytes;
    remote::putBigEndian32(bytes, value);
    return bytes;
}

// The big-endian 32-bit value at data byte at.
int32_t field(const Bytes& data, size_t at) {
    return static_cast<int32_t>(static_cast<uint32_t>(data[at]) << 24 | data[at + 1] << 16 |
                                data[at + 2] << 8 | data[at + 3]);
}

Bytes audioConfig(uint32_t bitrate, uint32_t coding, uint32_t captureUs, uint32_t playbackUs,
                  uint32_t chunks) {
    Bytes data = {0xAB, 0xCD};
    for (uint32_t value : {bitrate, coding, captureUs, playbackUs, chunks}) {
        const Bytes bytes = word(value);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    return data;
}

// The station's echo of a taken audio configuration: its first 18 bytes.
Bytes echoOf(const Bytes& config) {
    Bytes echo = {0x82, 20, 'C', 'F'};
    echo.insert(echo.end(), config.begin(), config.begin() + 18);
    return echo;
}

// A station with an authenticated client; the test takes the frames queued
// for it in place of the connection's writer.
class RemoteMessagesTest : public ::testing::Test {
  protected:
    RemoteMessagesTest() {
        works.clientFrames.open();
        works.clientFrames.admit();
        works.wsActive = 1;
    }

    // Every byte queued for the client since the last call.
    Bytes received() {
        Bytes bytes;
        while (works.clientFrames.waiting() > 0) {
            const std::optional<Bytes> frame = works.clientFrames.pop();
            bytes.insert(bytes.end(), frame->begin(), frame->end());
        }
        return bytes;
    }
    Dispatch dispatch(const std::string& code, const Bytes& data) {
        return remote::dispatchMessage(works, frameOf(remote::shortFrame(code, data)), notes);
    }
    size_t logged(const std::string& line) {
        size_t count = 0;
        for (const auto& channel : {platform::LogChannel::Info, platform::LogChannel::Error})
            for (const std::string& entry : station.log.lines(channel))
                count += entry.find(line) != std::string::npos;
        return count;
    }

    testing_support::TestStation station;
    core::Works& works = station.works;
    remote::DroppedNotes notes;
};

TEST_F(RemoteMessagesTest, WritersSendOnlyToAnAuthenticatedClient) {
    const Bytes record(58, 'x');
    struct Case {
        int32_t active;
        size_t statusBytes, heartbeatBytes;
    };
    for (const Case& test : {Case{1, 62, 20}, Case{0, 0, 20}}) {
        works.wsActive = test.active;
        remote::sendWebSockStatusFrame(works, record);
        EXPECT_EQ(received().size(), test.statusBytes) << test.active;
        remote::sendWebSockHebFrame(works, Bytes(8, 1));
        EXPECT_EQ(received().size(), test.heartbeatBytes)
            << "the heartbeat is answered from the handshake on";
    }
    // A status record made for a client that has left meanwhile does not
    // reach the next one before its pass phrase.
    works.clientFrames.open();
    works.wsActive = 1;
    remote::sendWebSockStatusFrame(works, record);
    EXPECT_TRUE(received().empty());
    works.clientFrames.close();
    remote::sendWebSockHebFrame(works, Bytes(8, 1));
    EXPECT_TRUE(received().empty());
}

TEST_F(RemoteMessagesTest, LongCatRepliesAndSpectraGoOutInPieces) {
    remote::sendWebSockCatFrame(works, Bytes(300, 'c'));
    const Bytes cat = received();
    ASSERT_EQ(cat.size(), 300u + 3 * 4);
    EXPECT_EQ(cat[1], 125);
    EXPECT_EQ(cat[127 + 1], 125);
    EXPECT_EQ(cat[254 + 1], 56);

    remote::sendWebSockSerSpectrFrame(works, Bytes(1024, 7));
    const Bytes spectrum = received();
    ASSERT_EQ(spectrum.size(), 2u * 526);
    for (uint32_t chunk : {0u, 1u}) {
        const Bytes header(spectrum.begin() + chunk * 526, spectrum.begin() + chunk * 526 + 14);
        Bytes expected = {0x82, 126, 0x02, 0x0A, 'S', 'P'};
        for (const Bytes& part : {word(1024), word(chunk * 512)})
            expected.insert(expected.end(), part.begin(), part.end());
        EXPECT_EQ(header, expected) << chunk;
    }
}

TEST_F(RemoteMessagesTest, AudioChunksGoRawWhenTheBitRateIsZero) {
    works.captureFrames = 240;
    works.txBitrate = 0;
    std::vector<int16_t> chunk(480);
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<int16_t>(i);
    remote::sendWebSockAudioFrame(works, chunk);
    const Bytes frame = received();
    ASSERT_EQ(frame.size(), 960u + 6);
    EXPECT_EQ((Bytes{frame.begin(), frame.begin() + 6}), (Bytes{0x82, 126, 0x03, 0xC2, 'S', 'O'}));
    EXPECT_EQ(std::memcmp(frame.data() + 6, chunk.data(), 960), 0);
}

TEST_F(RemoteMessagesTest, CommandsOfTheRemotePanelAndItsBankKeyThatWraps) {
    struct Case {
        std::string command;
        int32_t divideBefore;
        int32_t divide;
        char usbFft, wide;
    };
    for (const Case& test : {
             Case{"QELTFD8", 1, 8, '1', '1'},
             Case{"QELTFD", 5, 0, '1', '1'},
             Case{"QELTFT01", 1, 2, '1', '0'},
             Case{"QELTFT01", 6, 6, '1', '0'},
             Case{"QELTFT02", 0, 2, '1', '1'},
             Case{"QELTFT00", 3, 3, '0', '1'},
             Case{"QELTTU2", 3, 3, '1', '1'},
             Case{"QELTAN", 3, 3, '1', '1'},
             Case{"HELLO", 3, 3, '1', '1'},
         }) {
        works.Divide = test.divideBefore;
        works.setup->enaUsbFFT = '1';
        works.setup->Enable1600 = '1';
        EXPECT_EQ(dispatch("ST", text(test.command)), Dispatch::Continue);
        EXPECT_EQ(works.Divide, test.divide) << test.command;
        EXPECT_EQ(works.setup->enaUsbFFT, test.usbFft) << test.command;
        EXPECT_EQ(works.setup->Enable1600, test.wide) << test.command;
        EXPECT_TRUE(station.log.contains("BUFFER Wsocket : " + test.command + "\n"));
    }
    EXPECT_TRUE(station.actions().empty()) << "no command above touches the system";

    // Bank commands move to the next bank and wrap.
    works.MAXbank = 2;
    struct Press {
        const char* command;
        int32_t bank;
    };
    for (const Press& test : {Press{"QELTBANK", 1}, Press{"QELTPA1", 0}, Press{"QELTBANK", 1}}) {
        dispatch("ST", text(test.command));
        EXPECT_EQ(works.NumBanco, test.bank) << test.command;
    }
    EXPECT_TRUE(station.log.contains("ChangeBanco\n"));
}

TEST_F(RemoteMessagesTest, RebootPostsTheTinyCommandThenRebootsTheSimulatedUnit) {
    bool rebooted = false;
    station.machine().whenPoweredOff([&] { rebooted = true; });
    const auto before = works.platform->clock().now();
    dispatch("ST", text("QELTRB"));
    EXPECT_GE(works.platform->clock().now() - before, std::chrono::seconds(4));
    EXPECT_EQ(station.actions(), std::vector<SystemAction>{SystemAction::Reboot});
    EXPECT_TRUE(rebooted);
}

TEST_F(RemoteMessagesTest, AudioConfigurationIsConvertedStoredAndEchoed) {
    works.bufferChunks = 5;
    struct Case {
        Bytes data;
        bool taken;
        int32_t bitrate, coding, capture, playback, chunks;
        uint8_t changed;
    };
    for (const Case& test : {
             Case{audioConfig(0, 0, 20000, 10000, 5), true, 0, 0, 960, 480, 5, 0},
             Case{audioConfig(24000, 30000, 2500, 5000, 8), true, 24000, 30000, 120, 240, 8, 1},
             Case{audioConfig(0, 0, 20834, 10000, 5), false, 24000, 30000, 120, 240, 8, 0},  // 1000 frames
             Case{audioConfig(0, 0, 10000, 0, 5), false, 24000, 30000, 120, 240, 8, 0},      // no frame
             Case{Bytes(21, 0), false, 24000, 30000, 120, 240, 8, 0},
         }) {
        works.buffersChanged = 0;
        dispatch("CF", test.data);
        EXPECT_EQ(works.txBitrate, test.bitrate);
        EXPECT_EQ(works.rxCoding, test.coding);
        EXPECT_EQ(works.captureFrames, test.capture);
        EXPECT_EQ(works.playbackFrames, test.playback);
        EXPECT_EQ(works.bufferChunks, test.chunks);
        EXPECT_EQ(works.buffersChanged, test.changed);
        EXPECT_EQ(received(), test.taken ? echoOf(test.data) : Bytes{});
    }
}

// What the encoder, the playback ring or the fill correction cannot work
// with is refused as a whole: logged, not echoed, the previous setting kept.
TEST_F(RemoteMessagesTest, AudioConfigurationThatCannotWorkIsRefused) {
    const Bytes previous = audioConfig(30000, 30000, 10000, 10000, 10);
    struct Case {
        const char* name;
        Bytes data;
        const char* logged;  // empty: taken
    };
    for (const Case& test : {
             Case{"7 ms chunks to Opus", audioConfig(30000, 30000, 7000, 10000, 10), "CF refused"},
             Case{"7 ms chunks from Opus", audioConfig(30000, 30000, 10000, 7000, 10), "CF refused"},
             Case{"a depth of -1", audioConfig(30000, 30000, 10000, 10000, static_cast<uint32_t>(-1)),
                  "CF refused: a jitter depth of -1 chunks"},
             Case{"a depth of INT_MIN", audioConfig(30000, 30000, 10000, 10000, 0x80000000u),
                  "CF refused: a jitter depth of -2147483648 chunks"},
             Case{"a depth of 0", audioConfig(30000, 30000, 10000, 10000, 0), "CF refused"},
             Case{"a depth over half the ring", audioConfig(30000, 30000, 10000, 10000, 101), "CF refused"},
             Case{"7 ms raw both ways", audioConfig(0, 0, 7000, 7000, 10), ""},
             Case{"2.5 ms Opus, the deepest ring", audioConfig(30000, 30000, 2500, 2500, 100), ""},
             Case{"20 ms Opus, one chunk deep", audioConfig(30000, 30000, 20000, 20000, 1), ""},
         }) {
        SCOPED_TRACE(test.name);
        dispatch("CF", previous);
        received();
        station.log.clear();
        dispatch("CF", test.data);
        const bool taken = *test.logged == '\0';
        const Bytes& expected = taken ? test.data : previous;
        EXPECT_EQ(works.txBitrate, field(expected, 2));
        EXPECT_EQ(works.captureFrames, field(expected, 10) * 120 / 2500);
        EXPECT_EQ(works.playbackFrames, field(expected, 14) * 120 / 2500);
        EXPECT_EQ(works.bufferChunks, field(expected, 18));
        EXPECT_EQ(received(), taken ? echoOf(test.data) : Bytes{});
        EXPECT_TRUE(taken || station.log.contains(test.logged));
    }
}

// The heartbeat's answer carries the system clock, seconds and microseconds.
TEST_F(RemoteMessagesTest, TheHeartbeatAnswerCarriesTheSystemClock) {
    works.platform->clock().sleepFor(std::chrono::milliseconds(2500));
    remote::sendWebSockHebFrame(works, Bytes(8, 9));
    const Bytes answer = received();
    ASSERT_EQ(answer.size(), 20u);
    const Bytes expected = [] {
        Bytes time = word(static_cast<uint32_t>(platform::ManualClock::kWallOrigin + 2));
        const Bytes micros = word(500000);
        time.insert(time.end(), micros.begin(), micros.end());
        return time;
    }();
    EXPECT_EQ((Bytes{answer.begin() + 4, answer.begin() + 12}), expected);
}

TEST_F(RemoteMessagesTest, CatTextGoesToThePortUnlessItIsXXAndAuxiliaryLinkDataToTheTransceivers) {
    auto port = std::make_shared<testing_support::FakeSerialPort>(works.platform->clock());
    ASSERT_TRUE(port->open("/dev/ttyUSB0"));
    works.catPort.store(port);
    EXPECT_EQ(dispatch("CA", text("XX;")), Dispatch::Continue);
    EXPECT_EQ(dispatch("CA", text("FA;")), Dispatch::Continue);
    EXPECT_EQ(port->written(), "FA;");

    port->close();  // a port that fails
    EXPECT_EQ(dispatch("CA", text("FA;")), Dispatch::EndConnection);
    EXPECT_TRUE(station.log.contains("TCP read Error 7a"));
    EXPECT_EQ(works.catPort.load(), nullptr) << "the bridge closes with its port";
    EXPECT_EQ(dispatch("CA", text("FA;")), Dispatch::Continue);
    EXPECT_EQ(dispatch("CA", text("FA;")), Dispatch::Continue);
    EXPECT_EQ(logged("CA message dropped: its port is not open"), 1u) << "once per connection";

    // The auxiliary link's data goes to the transceiver's port.
    EXPECT_EQ(dispatch("SC", text("RX;")), Dispatch::Continue);
    EXPECT_EQ(logged("SC message dropped: its port is not open"), 1u);
    auto aux = std::make_shared<testing_support::FakeSerialPort>(works.platform->clock());
    ASSERT_TRUE(aux->open("/dev/QELTSER"));
    works.auxPort.store(aux);
    EXPECT_EQ(dispatch("SC", text("RX;")), Dispatch::Continue);
    EXPECT_EQ(dispatch("PA", text("TX2;")), Dispatch::Continue);
    EXPECT_EQ(aux->written(), "RX;TX2;");
    aux->close();
    EXPECT_EQ(dispatch("PA", text("TX2;")), Dispatch::EndConnection);
    EXPECT_TRUE(station.log.contains("TCP read Error 8a"));
}

TEST_F(RemoteMessagesTest, UnknownMessagesAreDroppedAndTheConnectionGoesOn) {
    struct Case {
        const char* name;
        Bytes frame;
    };
    for (const Case& test :
         {Case{"unknown code", remote::shortFrame("ZZ", text("x"))},
          Case{"status command in the long form", remote::longFrame("ST", text("QELTFD9"))},
          Case{"heartbeat in the long form", remote::longFrame("HB", Bytes(8, 0))},
          Case{"another frame type", {0x88, 2, 'S', 'T'}}}) {
        station.log.clear();
        EXPECT_EQ(remote::dispatchMessage(works, frameOf(test.frame), notes), Dispatch::Continue)
            << test.name;
        EXPECT_TRUE(
            station.log.contains("wrong message type: " + std::string(test.frame[0] == 0x82 ? "82" : "88")))
            << test.name;
    }
    EXPECT_NE(works.Divide, 9);
    EXPECT_TRUE(received().empty());
}

TEST_F(RemoteMessagesTest, BeforeThePassPhraseOnlyTheHeartbeatIsAnswered) {
    works.wsActive = 0;
    for (const char* command : {"QELTRB", "QELTBANK"})
        remote::dispatchBeforePassPhrase(works, frameOf(remote::shortFrame("ST", text(command))), notes);
    remote::dispatchBeforePassPhrase(
        works, frameOf(remote::shortFrame("CF", audioConfig(0, 0, 20000, 20000, 9))), notes);
    EXPECT_TRUE(station.actions().empty());
    EXPECT_EQ(works.NumBanco, 0);
    EXPECT_NE(works.bufferChunks, 9);
    EXPECT_EQ(logged("message before the pass phrase dropped"), 1u);
    remote::dispatchBeforePassPhrase(works, frameOf(remote::shortFrame("HB", Bytes(8, 3))), notes);
    const Bytes answer = received();
    ASSERT_EQ(answer.size(), 20u);
    EXPECT_EQ((Bytes{answer.begin() + 12, answer.end()}), Bytes(8, 3));
}

}  // namespace
