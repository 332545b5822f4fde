#include "radio/aux_serial.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "config/setup_file.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/record/spectrum_data.h"
#include "core/threads.h"
#include "fake_serial_port.h"
#include "sim/qor/qor_stream.h"
#include "test_station.h"

namespace {

// The transceiver's side of the link: bytes it has sent, and what it received.
class QueueLine : public testing_support::ScriptedPortBase {
  public:
    std::deque<uint8_t> in;
    std::string out;
    // Another thread's work while a write is under way.
    std::function<void()> duringWrite;
    int bytesAvailable() override { return static_cast<int>(in.size()); }
    int readByte(uint8_t& byte) override {
        byte = in.front();
        in.pop_front();
        return 1;
    }
    bool writeAll(std::span<const uint8_t> bytes) override {
        out.append(bytes.begin(), bytes.end());
        if (duringWrite) duringWrite();
        return true;
    }
    void message(uint8_t type, char marker, const std::vector<uint8_t>& data) {
        in.push_back(type);
        in.push_back(static_cast<uint8_t>(marker));
        for (int shift = 0; shift < 16; shift += 4)
            in.push_back(static_cast<uint8_t>('0' + ((data.size() >> shift) & 0xF)));
        in.insert(in.end(), data.begin(), data.end());
    }
};

struct AuxSerialTest : ::testing::Test {
    AuxSerialTest() {
        works.serMut = &serMut;
        works.spectrum = &spectrum;
        works.running = 1;
        works.setup->enaser = '1';
        works.setup->enaUsbFFT = '0';
    }
    core::TryMutex serMut;
    core::SpectrumRecord spectrum;
    testing_support::TestStation station;
    core::Works& works = station.works;
    QueueLine line;
    radio::PutBackLine reader{line};
};

TEST_F(AuxSerialTest, PendingCommandsGoOutInTheirOrder) {
    using namespace core::tuneTxState;
    namespace carrier = core::carrierControl;
    struct Case {
        uint8_t tune, control, power;
        int32_t powerValue;
        std::string sent;
        uint8_t tuneAfter, controlAfter;
    } cases[] = {
        {SendRx | SendCarrier, 0, 0, 0, "RX;TU120;TX2;", RxSent | CarrierSent, 0},
        {0, carrier::ChangePending, 0, 0, "RX;", 0, 0},
        {0, carrier::ChangePending | carrier::TransmitWanted, 0, 0, "TU120;TX2;", 0, carrier::TransmitWanted},
        {0, carrier::ChangePending | carrier::TransmitWanted | carrier::AntennaInputCleared, 0, 0, "", 0,
         carrier::ChangePending | carrier::TransmitWanted | carrier::AntennaInputCleared},
        {SendCarrier, 0, core::powerRequest::Send, 75, "TU120;TX2;TQ0075;", CarrierSent, 0},
    };
    for (const Case& c : cases) {
        line.out.clear();
        works.tuneTxState = c.tune;
        works.carrierControl = c.control;
        works.powerRequest = c.power;
        works.powerValue = c.powerValue;
        works.carrierHoldoff = 0;
        radio::sendPendingCommands(works, line);
        EXPECT_EQ(line.out, c.sent);
        EXPECT_EQ(works.tuneTxState, c.tuneAfter) << c.sent;
        EXPECT_EQ(works.carrierControl, c.controlAfter) << c.sent;
        EXPECT_EQ(works.carrierHoldoff, c.sent == "RX;" ? 30 : 0) << c.sent;
        if (c.power != 0) {
            EXPECT_EQ(works.powerRequest, core::powerRequest::Sent);
        }
    }
}

// The main loop changes the same flag bytes while a command goes out: what it
// set stays set, and a request it withdrew is not marked sent.
TEST_F(AuxSerialTest, FlagsChangedByTheMainLoopDuringASendAreKept) {
    using namespace core::tuneTxState;
    works.tuneTxState = PanelTune | SendCarrier;
    works.powerRequest = core::powerRequest::Send;
    line.duringWrite = [this] {
        if (line.out == "TU120;TX2;") works.tuneTxState &= static_cast<uint8_t>(~(PanelTune | SendCarrier));
        if (line.out.ends_with("TQ0000;")) works.tuneTxState |= SendRx;
    };
    radio::sendPendingCommands(works, line);
    EXPECT_EQ(line.out, "TU120;TX2;TQ0000;");
    EXPECT_EQ(works.tuneTxState, SendRx) << "the withdrawn carrier request is not marked sent";
    EXPECT_EQ(works.powerRequest, core::powerRequest::Sent);
}

TEST_F(AuxSerialTest, TheDrivePowerGoesOutAsFourDigitsWhateverItsValue) {
    struct Case {
        int32_t powerValue;
        const char* sent;
    } cases[] = {{75, "TQ0075;"},        {9999, "TQ9999;"}, {10000, "TQ9999;"},
                 {INT32_MAX, "TQ9999;"}, {0, "TQ0000;"},    {-1, "TQ0000;"}};
    for (const Case& c : cases) {
        line.out.clear();
        works.powerRequest = core::powerRequest::Send;
        works.powerValue = c.powerValue;
        radio::sendPendingCommands(works, line);
        EXPECT_EQ(line.out, c.sent) << c.powerValue;
    }
}

TEST_F(AuxSerialTest, MessagesFillTheRecordAndThePlotThenPendingCommandsFollow) {
    std::vector<uint8_t> block{0x00, 0x30, 0x30, 0x3D, 0x39, 0x37, 0x30, 0x31, 0x30};  // 0x00D97010 Hz
    std::vector<uint8_t> line1194(1194);
    for (size_t i = 0; i < line1194.size(); ++i) line1194[i] = static_cast<uint8_t>(i);
    line.in.push_back(0x20);  // not a type byte: skipped
    line.message(1, '1', block);
    line.message(0, '0', line1194);
    works.tuneTxState = core::tuneTxState::SendRx;
    radio::serialStep(works, reader);
    EXPECT_EQ(line.out, "RX;") << "right after the first message";
    radio::serialStep(works, reader);
    radio::QorParams params{};
    ASSERT_TRUE(radio::getParameters(params, works));
    EXPECT_EQ(params[3], 14'250'000);
    EXPECT_EQ(works.spectrum->magnitude[0], 85.0f - 192.0f);
    EXPECT_EQ(works.spectrum->magnitude[853], static_cast<float>(static_cast<uint8_t>(938)) - 192.0f);
    EXPECT_TRUE(line.in.empty());
}

// The transceiver's messages as its emulator streams them.
std::vector<uint8_t> parameters(uint32_t frequency) {
    return sim::qorMessage(sim::kQorParameterType, sim::parameterBlock({.frequency = frequency}));
}
std::vector<uint8_t> spectrumLine() {
    return sim::qorMessage(sim::kQorSpectrumType, sim::spectrumLine({}, 0));
}
std::vector<uint8_t> cut(std::vector<uint8_t> message, size_t dataBytes) {
    message.resize(6 + dataBytes);
    return message;
}

// Every active frequency the record held after each message, until the line
// is read: the stream, then enough blocks on 7.1 MHz to complete any message
// that takes the stream's last bytes for its own.
std::vector<int32_t> frequenciesSeen(core::Works& works, QueueLine& line, radio::PutBackLine& reader,
                                     std::vector<std::vector<uint8_t>> stream) {
    stream.insert(stream.end(), 40, parameters(7'100'000));
    for (const std::vector<uint8_t>& message : stream)
        line.in.insert(line.in.end(), message.begin(), message.end());
    std::vector<int32_t> seen;
    for (int step = 0; step < 100 && reader.bytesAvailable() > 0; ++step) {
        radio::serialStep(works, reader);
        radio::QorParams params{};
        EXPECT_TRUE(radio::getParameters(params, works));
        if (seen.empty() || seen.back() != params[core::qorWord::ActiveFrequency])
            seen.push_back(params[core::qorWord::ActiveFrequency]);
    }
    return seen;
}

TEST_F(AuxSerialTest, ACutMessageIsDroppedNotAppliedAndAStrayTypeByteOrABadHeaderCostsNoWholeOne) {
    std::vector<uint8_t> badLength = parameters(1'800'000);
    badLength[3] = 0x7F;  // not '0' plus a hexadecimal digit
    const std::vector<int32_t> afterCut{14'250'000, 7'100'000}, afterStray{0, 3'600'000, 7'100'000};
    const char* cutNote = "EXT IO: parameter block of 31 bytes cut short, dropped";
    const std::vector<uint8_t> first = parameters(14'250'000), second = parameters(7'100'000);
    struct Case {
        const char* name;
        std::vector<std::vector<uint8_t>> stream;
        const std::vector<int32_t>& seen;
        const char* logged;
    } cases[] = {
        {"cut in the frequency, then a block", {first, cut(second, 5)}, afterCut, cutNote},
        {"cut, then a spectrum line", {first, cut(second, 3), spectrumLine()}, afterCut, cutNote},
        {"a parameter type byte before a block", {{1}, parameters(3'600'000)}, afterStray, "Error3"},
        {"a spectrum type byte before a block", {{0}, parameters(3'600'000)}, afterStray, "Error3"},
        {"a bad length character", {cut(badLength, 2), parameters(3'600'000)}, afterStray, "Error3"},
    };
    for (const Case& c : cases) {
        works.qorParams = {};
        station.log.clear();
        EXPECT_EQ(frequenciesSeen(works, line, reader, c.stream), c.seen) << c.name;
        EXPECT_TRUE(station.log.contains(c.logged)) << c.name;
    }
}

TEST_F(AuxSerialTest, AudioDisabledByTheTransceiverRestartsThePlaybackRing) {
    works.bufferChunks = 10;
    for (int audioByte : {0x41, 0x40}) {
        works.sndPrefill = 0;
        works.sndPlaying = 1;
        works.sndWriteIdx = 5;
        works.sndReadIdx = 7;
        // Byte 9 marked, byte 10 marked with bit 0 the audio enable.
        radio::storeParameters(
            works, std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 1, 0x80, static_cast<uint8_t>(audioByte)});
        const bool restarted = audioByte == 0x40;
        EXPECT_EQ(works.sndPrefill, restarted ? -10 : 0);
        EXPECT_EQ(works.sndPlaying, restarted ? 0 : 1);
        EXPECT_EQ(works.sndWriteIdx, restarted ? 0 : 5);
        EXPECT_EQ(works.sndReadIdx, restarted ? 0 : 7);
    }
}

TEST_F(AuxSerialTest, SilenceRaisesError8OncePerHoldOff) {
    works.ModeWorkIdx = 1;
    core::InitErrorDescriptors(works);
    works.errorsHeld = 0;
    line.message(1, '1', std::vector<uint8_t>(9, 0x30));
    // A quiet line: the step waits 1.5 s, raises the error, then the message comes.
    struct Silent : QueueLine {
        int quiet = 1600;
        int bytesAvailable() override { return quiet-- > 0 ? 0 : QueueLine::bytesAvailable(); }
    } silent;
    silent.in = line.in;
    radio::PutBackLine silentReader(silent);
    radio::serialStep(works, silentReader);
    EXPECT_EQ(core::ExistError(works, core::err::QorLink), 1);
    EXPECT_EQ(works.retryDelay, 2000);
    EXPECT_TRUE(station.log.contains("TIMEOUT EXT IO 1"));
}

}  // namespace
