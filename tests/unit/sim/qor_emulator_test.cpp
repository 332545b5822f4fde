// The transceiver emulator's stream, read back by the controller's own
// decoders, and its command handling.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "radio/aux_link.h"
#include "sim/qor/qor_control.h"
#include "sim/qor/qor_faults.h"
#include "sim/qor/qor_model.h"
#include "sim/qor/qor_options.h"
#include "sim/qor/qor_stream.h"
#include "sim/qor/reader_lag.h"

namespace {

using sim::QorState;

// The data of a message after the header the controller reads with decodeCmdParameters.
std::vector<uint8_t> dataOf(const std::vector<uint8_t>& message) {
    const int length = radio::decodeCmdParameters(std::span<const uint8_t, 4>(message.data() + 2, 4));
    return {message.begin() + 6, message.begin() + 6 + length};
}

TEST(QorStream, MessagesCarryTheirTypeMarkerAndLength) {
    const std::vector<uint8_t> data(1194, 80);
    for (uint8_t type : {sim::kQorSpectrumType, sim::kQorParameterType})
        for (size_t size : {size_t{0}, size_t{31}, size_t{256}, size_t{1194}}) {
            const std::vector<uint8_t> payload(data.begin(), data.begin() + static_cast<ptrdiff_t>(size));
            const std::vector<uint8_t> message = sim::qorMessage(type, payload);
            ASSERT_EQ(message.size(), size + 6);
            EXPECT_EQ(message[0], type);
            EXPECT_EQ(message[1], '0' + type);
            EXPECT_EQ(dataOf(message), payload) << size;
        }
}

TEST(QorStream, AParameterBlockReadsBackAsTheRadiosState) {
    const QorState states[] = {
        {},
        {.frequency = 7'100'000,
         .mode = 2,
         .transmitting = true,
         .antenna = 2,
         .volume = 0,
         .audio = false,
         .squelch = 15},
        {.frequency = 50'313'000,
         .mode = 6,
         .transmitting = false,
         .antenna = 3,
         .volume = 127,
         .squelch = 1},
        {.frequency = 999'999'999, .antenna = 1, .squelch = 0},
    };
    for (const QorState& state : states) {
        radio::QorParams params;
        // Every word the block carries changes; a byte with wrong marker bits would leave its words so.
        constexpr int32_t kUntouched = 12345;
        params.fill(kUntouched);
        radio::storeParameters(params, dataOf(sim::qorMessage(1, sim::parameterBlock(state))));
        const std::set<size_t> notCarried = {6, 7, 8, 16, 21, 43, 44};  // receiver B, other volumes, unused
        for (size_t word = 0; word < params.size(); ++word)
            EXPECT_EQ(params[word] == kUntouched, notCarried.contains(word)) << "word " << word;
        EXPECT_EQ(params[0], state.transmitting ? 1 : 0);
        EXPECT_EQ(params[3], static_cast<int32_t>(state.frequency));
        EXPECT_EQ(params[5], static_cast<int32_t>(state.frequency));
        EXPECT_EQ(params[13], state.mode);
        EXPECT_EQ(params[22], state.audio ? 1 : -1);
        EXPECT_EQ(params[23], state.squelch != 0 ? state.squelch : -kUntouched);
        EXPECT_EQ(params[40], state.antenna != 0 ? state.antenna : -kUntouched);
        EXPECT_EQ(params[42], state.volume != 0 ? state.volume : -kUntouched);
        EXPECT_EQ(params[45], 0);
        EXPECT_EQ(params[46], 0);
        EXPECT_EQ(params[47], 0);
    }
}

TEST(QorStream, NoByteButTheTypeLooksLikeAMessageStart) {
    const QorState quiet{.volume = 0, .squelch = 0};
    for (const QorState& state : {QorState{}, quiet, QorState{.transmitting = true}})
        for (const std::vector<uint8_t>& message : {sim::qorMessage(1, sim::parameterBlock(state)),
                                                    sim::qorMessage(0, sim::spectrumLine(state, 3))})
            for (size_t i = 1; i < message.size(); ++i)
                ASSERT_GE(message[i], radio::kFirstNonType) << "byte " << i;
}

TEST(QorStream, ASpectrumLineShowsTheStationsAndTheCarrierOverTheNoise) {
    struct Case {
        bool transmitting;
        int offset;  // from the operating frequency, in bins
        float db;    // before the line-to-line variation of 3 dB either way
    } cases[] = {{false, 0, -96},    {true, 0, -15},    {true, 1, -21},   {false, 150, -73},
                 {false, -230, -85}, {false, 300, -96}, {true, -400, -96}};
    for (const Case& c : cases) {
        const QorState state{.transmitting = c.transmitting};
        const std::vector<uint8_t> line = sim::spectrumLine(state, 7);
        ASSERT_EQ(line.size(), sim::kSpectrumLineBytes);
        const std::vector<float> values = radio::spectrumValues(dataOf(sim::qorMessage(0, line)));
        ASSERT_EQ(values.size(), 854u);
        EXPECT_NEAR(values[static_cast<size_t>(427 + c.offset)], c.db, 3.0f) << c.offset;
    }
    EXPECT_NE(sim::spectrumLine({}, 1), sim::spectrumLine({}, 2)) << "the noise moves from line to line";
}

TEST(QorStream, TheRemoteSpectrumIsTheLineFromItsPlotStart) {
    const QorState state;
    radio::QorParams params{};
    radio::storeParameters(params, sim::parameterBlock(state));
    const std::vector<uint8_t> line = sim::spectrumLine(state, 0);
    std::vector<uint8_t> expected(line.begin() + 85, line.begin() + 1024);
    expected.insert(expected.end(), line.begin(), line.begin() + 85);
    EXPECT_EQ(radio::remoteSpectrum(params, line), expected);
}

TEST(QorFaults, EachFaultHitsTheNextMessagesOncePerCount) {
    const std::vector<uint8_t> message = sim::qorMessage(1, sim::parameterBlock({}));
    sim::QorFaults faults;
    faults.arm(sim::QorFault::Cut, 2);
    for (int i = 0; i < 2; ++i) {
        const std::vector<uint8_t> cut = faults.transmit(message);
        ASSERT_EQ(cut.size(), 6u + sim::QorFaults::kCutAfter);
        EXPECT_TRUE(std::equal(cut.begin(), cut.end(), message.begin()));
    }
    EXPECT_EQ(faults.transmit(message), message);

    faults.arm(sim::QorFault::Stray, 1);
    std::vector<uint8_t> stray = faults.transmit(message);
    ASSERT_EQ(stray.size(), message.size() + 1);
    EXPECT_LT(stray[0], radio::kFirstNonType) << "it looks like a message start";
    EXPECT_TRUE(std::equal(message.begin(), message.end(), stray.begin() + 1));

    faults.arm(sim::QorFault::Drop, 1);
    EXPECT_TRUE(faults.transmit(message).empty());

    faults.arm(sim::QorFault::Garbage, 1);
    const std::vector<uint8_t> garbage = faults.transmit(sim::qorMessage(0, sim::spectrumLine({}, 0)));
    EXPECT_EQ(garbage.size(), sim::kSpectrumLineBytes + 6);
    EXPECT_GT(
        std::count_if(garbage.begin(), garbage.end(), [](uint8_t b) { return b < radio::kFirstNonType; }), 0)
        << "unlike the radio's own bytes";
    EXPECT_EQ(faults.remaining(), 0);
    EXPECT_EQ(faults.transmit(message), message);
}

TEST(QorModel, TheLinkCommandsKeyAndUnkeyTheCarrier) {
    struct Step {
        std::string bytes;
        bool transmitting;
        int driveMilliwatts;
        std::optional<std::string> amplifier;
    } steps[] = {
        {"TQ", false, 5000, std::nullopt},
        {"5000;TU120;TX", false, 5000, std::nullopt},  // a command split over reads
        {"2;", true, 5000, "key 5.000 14250000"},
        {"TQ0075;", true, 75, "key 0.075 14250000"},  // the drive follows while keyed
        {"TQ12;TQ12345;", true, 75, std::nullopt},    // not four digits: ignored
        {"RX;", false, 75, "unkey"},
        {"RX;XY;", false, 75, std::nullopt},
        {std::string(70, '\x01'), false, 75, std::nullopt},  // binary from the remote client
    };
    sim::QorModel radio;
    for (const Step& step : steps) {
        radio.receive({reinterpret_cast<const uint8_t*>(step.bytes.data()), step.bytes.size()});
        EXPECT_EQ(radio.state().transmitting, step.transmitting) << step.bytes;
        EXPECT_EQ(radio.driveMilliwatts(), step.driveMilliwatts) << step.bytes;
        EXPECT_EQ(radio.takeAmplifierLine(), step.amplifier) << step.bytes;
    }
    std::string received;
    for (const std::string& command : radio.received()) received += command + " ";
    const std::string commands = "TQ5000; TU120; TX2; TQ0075; TQ12; TQ12345; RX; RX; XY; ";
    EXPECT_EQ(received.substr(0, commands.size()), commands);
    EXPECT_EQ(received.substr(commands.size(), 8), "\\x01\\x01");
    EXPECT_EQ(radio.received().size(), 10u) << "64 bytes recorded, the rest waits for its end";
}

TEST(QorModel, TheOperatorsControlCommands) {
    struct Case {
        const char* line;
        const char* reply;
        std::optional<std::string> amplifier;
    } cases[] = {
        {"state", "ok frequency 14250000 tx 0 drive_mw 5000 antenna 0 fault none fault_left 0", std::nullopt},
        {"tx on", "ok tx 1", "key 5.000 14250000"},
        {"freq 7100000", "ok frequency 7100000", "key 5.000 7100000"},
        {"freq 0", "error frequency must be 1 to 999999999 Hz", std::nullopt},
        {"freq 1000000000", "error frequency must be 1 to 999999999 Hz", std::nullopt},
        {"freq 7x", "error frequency must be 1 to 999999999 Hz", std::nullopt},
        {"antenna 3", "ok antenna 3", std::nullopt},
        {"antenna 4", "error antenna must be 0 to 3", std::nullopt},
        {"tx off\r", "ok tx 0", "unkey"},
        {"fault cut 3", "ok fault cut for the next 3 messages", std::nullopt},
        {"fault stray", "ok fault stray for the next message", std::nullopt},
        {"fault smoke", "error unknown fault: smoke", std::nullopt},
        {"fault drop 0", "error the count must be 1 to 1000000", std::nullopt},
        {"state", "ok frequency 7100000 tx 0 drive_mw 5000 antenna 3 fault stray fault_left 1", std::nullopt},
        {"fault none", "ok no faults", std::nullopt},
        {"received", "ok", std::nullopt},
        {"txx", "error unknown command (try help)", std::nullopt},
    };
    sim::QorModel radio;
    sim::QorFaults faults;
    for (const Case& c : cases) {
        EXPECT_EQ(sim::runQorCommand(radio, faults, c.line), c.reply) << c.line;
        EXPECT_EQ(radio.takeAmplifierLine(), c.amplifier) << c.line;
    }
}

TEST(QorOptions, DefaultsUnderTheRootAndRefusals) {
    std::string error;
    const std::optional<sim::QorOptions> plain = sim::parseQorOptions({"--root", "/r"}, error);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->device, "/dev/QELTSER");
    EXPECT_EQ(plain->control, "/r/run/qor-emulator.sock");
    EXPECT_EQ(plain->ampControl, "/r/run/amp-emulator.sock");
    const std::optional<sim::QorOptions> given = sim::parseQorOptions(
        {"--root", "/r", "--device", "/dev/X", "--amp-control", "/a.sock", "--time-scale", "8"}, error);
    ASSERT_TRUE(given);
    EXPECT_EQ(given->ampControl, "/a.sock");
    EXPECT_EQ(given->timeScale, 8.0);
    const std::vector<std::string> refused[] = {{},
                                                {"--root"},
                                                {"--root", "/r", "--time-scale", "0"},
                                                {"--root", "/r", "--device", "dev"},
                                                {"--r", "/r"}};
    for (const auto& arguments : refused) EXPECT_FALSE(sim::parseQorOptions(arguments, error)) << error;
}

using namespace std::chrono_literals;
using sim::ReaderLag;

// A message counts as read once its last byte has left the line; the
// longest wait is told once and then measured anew.
TEST(ReaderLag, AMessageWaitsUntilItsLastByteIsRead) {
    ReaderLag lag;
    const ReaderLag::Clock::time_point start{};
    lag.sent(37, start);
    lag.sent(1200, start + 10ms);
    EXPECT_TRUE(lag.waiting());
    lag.unread(1237, start + 20ms);
    lag.unread(1201, start + 30ms);  // the block but one byte
    EXPECT_EQ(lag.takeLongest(), 0ms);
    lag.unread(1200, start + 40ms);  // the block read, 40 ms after it was made
    lag.unread(1, start + 300ms);    // the line but its last byte
    EXPECT_TRUE(lag.waiting());
    lag.unread(0, start + 510ms);  // the line read, 500 ms after it was made
    EXPECT_FALSE(lag.waiting());
    EXPECT_EQ(lag.takeLongest(), 500ms);
    EXPECT_EQ(lag.takeLongest(), 0ms);
    lag.sent(37, start + 600ms);
    lag.unread(0, start + 602ms);
    EXPECT_EQ(lag.takeLongest(), 2ms);
}

}  // namespace
