#include "radio/aux_serial.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/record/spectrum_data.h"
#include "test_station.h"

namespace {

// The transceiver's side of the link: bytes it has sent, and what it received.
class QueueLine : public radio::ByteLine {
  public:
    std::deque<uint8_t> in;
    std::string out;
    int bytesAvailable() override { return static_cast<int>(in.size()); }
    int readByte(uint8_t& byte) override {
        byte = in.front();
        in.pop_front();
        return 1;
    }
    bool writeAll(std::span<const uint8_t> bytes) override {
        out.append(bytes.begin(), bytes.end());
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
    ui::SpectrumRecord spectrum;
    testing_support::TestStation station;
    core::Works& works = station.works;
    QueueLine line;
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

TEST_F(AuxSerialTest, MessagesFillTheRecordAndThePlotThenPendingCommandsFollow) {
    std::vector<uint8_t> block{0x00, 0x30, 0x30, 0x3D, 0x39, 0x37, 0x30, 0x31, 0x30};  // 0x00D97010 Hz
    std::vector<uint8_t> line1194(1194);
    for (size_t i = 0; i < line1194.size(); ++i) line1194[i] = static_cast<uint8_t>(i);
    line.in.push_back(0x20);  // not a type byte: skipped
    line.message(1, '1', block);
    line.message(0, '0', line1194);
    works.tuneTxState = core::tuneTxState::SendRx;
    radio::serialStep(works, line);
    EXPECT_EQ(line.out, "RX;") << "right after the first message";
    radio::serialStep(works, line);
    radio::QorParams params{};
    ASSERT_TRUE(radio::getParameters(params, works));
    EXPECT_EQ(params[3], 14'250'000);
    EXPECT_EQ(works.spectrum->magnitude[0], 85.0f - 192.0f);
    EXPECT_EQ(works.spectrum->magnitude[853], static_cast<float>(static_cast<uint8_t>(938)) - 192.0f);
    EXPECT_TRUE(line.in.empty());
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
    radio::serialStep(works, silent);
    EXPECT_EQ(core::ExistError(works, core::err::QorLink), 1);
    EXPECT_EQ(works.retryDelay, 2000);
    EXPECT_TRUE(station.log.contains("TIMEOUT EXT IO 1"));
}

}  // namespace
