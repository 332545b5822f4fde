#include "radio/cat_serial.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <vector>

#include "fake_serial_port.h"
#include "radio/cat_reply.h"
#include "test_station.h"

namespace {

using testing_support::TestStation;

// A CAT port on a script: each reply goes out once the next request is
// written, each byte after a given count of empty polls; stray bytes are on
// the line at once.
class ScriptedLine : public testing_support::ScriptedPortBase {
  public:
    struct Arrival {
        int silentPolls;
        uint8_t byte;
    };
    std::deque<Arrival> arriving;
    std::deque<std::deque<Arrival>> replies;
    std::vector<std::vector<uint8_t>> written;

    // The bytes that have arrived, up to the first still on its way.
    int bytesAvailable() override {
        if (arriving.empty()) return 0;
        if (arriving.front().silentPolls > 0) {
            --arriving.front().silentPolls;
            return 0;
        }
        int count = 0;
        for (const Arrival& arrival : arriving) {
            if (arrival.silentPolls > 0) break;
            ++count;
        }
        return count;
    }
    int readByte(uint8_t& byte) override {
        byte = arriving.front().byte;
        arriving.pop_front();
        return 1;
    }
    bool writeAll(std::span<const uint8_t> bytes) override {
        written.emplace_back(bytes.begin(), bytes.end());
        if (!replies.empty()) {
            arriving.insert(arriving.end(), replies.front().begin(), replies.front().end());
            replies.pop_front();
        }
        return true;
    }
    void answer(std::vector<uint8_t> bytes, int gap = 0) {
        std::deque<Arrival> reply;
        for (uint8_t byte : bytes) reply.push_back({gap, byte});
        replies.push_back(reply);
    }
    // The reply's bytes from `from` on come after silentPolls more empty polls.
    void answerLate(std::vector<uint8_t> bytes, size_t from, int silentPolls) {
        answer(bytes);
        replies.back()[from].silentPolls = silentPolls;
    }
    void stray(uint8_t byte) { arriving.push_back({0, byte}); }
};

const std::vector<uint8_t> k14250{0x01, 0x42, 0x50, 0x00, 0x01};

TEST(CatReply, VerifyByteFreqFlagsEveryNonBcdNibble) {
    struct Case {
        uint8_t byte;
        bool invalid;
    } cases[] = {{0x00, false}, {0x99, false}, {0x09, false}, {0x90, false}, {0x0A, true},
                 {0xA0, true},  {0x5A, true},  {0xFF, true},  {0x9F, true}};
    for (const Case& c : cases) EXPECT_EQ(radio::VerifyByteFreq(c.byte), c.invalid) << int(c.byte);
}

TEST(CatReply, DecodesPackedBcdInTenHertzUnits) {
    struct Case {
        std::array<uint8_t, 5> reply;
        std::optional<int32_t> frequency;
    } cases[] = {
        {{0x01, 0x42, 0x50, 0x00, 0x01}, 14'250'000},
        {{0x00, 0x70, 0x00, 0x00, 0x00}, 7'000'000},
        {{0x14, 0x50, 0x00, 0x00, 0x04}, 145'000'000},
        {{0x00, 0x18, 0x07, 0x45, 0x02}, 1'807'450},
        {{0x01, 0x42, 0x5A, 0x00, 0x01}, std::nullopt},
        {{0xA1, 0x42, 0x50, 0x00, 0x01}, std::nullopt},
        {{0x01, 0x42, 0x50, 0x0F, 0x01}, std::nullopt},
        // The last byte is the mode: LSB to PKT, bit 7 for a narrow filter; other values are no mode.
        {{0x00, 0x70, 0x74, 0x00, 0x0C}, 7'074'000},
        {{0x01, 0x45, 0x00, 0x00, 0x88}, 14'500'000},
        {{0x00, 0x70, 0x74, 0x00, 0x0A}, 7'074'000},
        {{0x01, 0x01, 0x42, 0x50, 0x05}, std::nullopt},
        {{0x01, 0x01, 0x42, 0x50, 0x50}, std::nullopt},
        {{0x01, 0x01, 0x42, 0x50, 0x0D}, std::nullopt},
        {{0x01, 0x01, 0x42, 0x50, 0xFF}, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(radio::decodeCatFrequency(c.reply), c.frequency);
}

void runPolls(TestStation& station, ScriptedLine& line, radio::CatPoll& poll, int passes) {
    for (int i = 0; i < passes; ++i) radio::catPollStep(station.works, line, poll);
}

TEST(CatPoller, RequestsReadsAndDecodesOneReply) {
    TestStation station;
    ScriptedLine line;
    radio::CatPoll poll;
    line.answer(k14250, 3);
    runPolls(station, line, poll, 1 + 5 * 4 + 1);
    ASSERT_EQ(line.written.size(), 1u);
    EXPECT_EQ(line.written[0], (std::vector<uint8_t>{0, 0, 0, 0, 3}));
    EXPECT_EQ(station.works.catSerialFreq, 14'250'000);
    EXPECT_EQ(poll.catProcessStatus, radio::CatPoll::kSend);
    EXPECT_EQ(poll.lastCommandSent, 0);
}

TEST(CatPoller, RejectedReplyKeepsThePreviousFrequency) {
    TestStation station;
    ScriptedLine line;
    radio::CatPoll poll;
    station.works.catSerialFreq = 7'000'000;
    line.answer({0x01, 0x42, 0x5A, 0x00, 0x01});
    runPolls(station, line, poll, 1 + 5 + 1);
    EXPECT_EQ(station.works.catSerialFreq, 7'000'000);
    EXPECT_TRUE(station.log.contains("CAT FT817 freq not decoded :  01 42 5a 00 01"));
}

TEST(CatPoller, SlowBytesStillFormOneReplyAndSilenceDropsAPartialOne) {
    struct Case {
        int gap;            // empty polls before each byte
        size_t bytesSent;   // of the five
        int32_t frequency;  // expected afterwards
        size_t requests;    // requests written by then
    } cases[] = {
        {299, 5, 14'250'000, 1},  // 5 x 299 ms: more than 1.5 s in all, but never 1.5 s of silence
        {0, 3, 0, 2},             // three bytes, then silence: dropped, asked again
    };
    for (const Case& c : cases) {
        TestStation station;
        ScriptedLine line;
        radio::CatPoll poll;
        line.answer({k14250.begin(), k14250.begin() + static_cast<ptrdiff_t>(c.bytesSent)}, c.gap);
        auto start = station.works.platform->clock().now();
        runPolls(station, line, poll, 1 + static_cast<int>(c.bytesSent) * (c.gap + 1) + 1600);
        EXPECT_EQ(station.works.catSerialFreq, c.frequency) << c.gap;
        EXPECT_GE(line.written.size(), c.requests) << c.gap;
        if (c.bytesSent < 5) {
            EXPECT_TRUE(station.log.contains("TIMEOUT SERIAL CAT"));
            // The partial reply is gone: a full answer to the new request decodes.
            EXPECT_EQ(poll.received, 0);
            EXPECT_GE(station.works.platform->clock().now() - start, std::chrono::milliseconds(2500));
        }
    }
}

// Polls until the request of poll n has gone out, so that poll n - 1 is decoded.
void runUntilRequest(TestStation& station, ScriptedLine& line, radio::CatPoll& poll, size_t n) {
    for (int pass = 0; pass < 10'000 && line.written.size() < n; ++pass)
        radio::catPollStep(station.works, line, poll);
}

TEST(CatPoller, AStrayByteOrALateEndCostsAtMostItsOwnReply) {
    struct Case {
        const char* name;
        void (*script)(ScriptedLine&);
    } cases[] = {
        {"a zero byte before the first reply",
         [](ScriptedLine& line) {
             line.stray(0x00);
             line.answer(k14250);
         }},
        {"the first reply's last two bytes after the time-out",
         [](ScriptedLine& line) { line.answerLate(k14250, 3, 1500); }},
    };
    for (const Case& c : cases) {
        TestStation station;
        ScriptedLine line;
        radio::CatPoll poll;
        c.script(line);
        for (int i = 0; i < 5; ++i) line.answer(k14250);
        runUntilRequest(station, line, poll, 3);
        EXPECT_EQ(station.works.catSerialFreq, 14'250'000) << c.name << ": the second reply";
        runUntilRequest(station, line, poll, 6);
        EXPECT_EQ(station.works.catSerialFreq, 14'250'000) << c.name << ": and every one after it";
        EXPECT_TRUE(station.log.contains("left before the request discarded")) << c.name;
    }
}

// A waiting main loop is told of a new frequency, and only of a new one.
TEST(CatPoller, OnlyANewFrequencyWakesTheMainLoop) {
    TestStation station;
    radio::CatPoll poll;
    std::array<uint8_t, 5> reply{0x01, 0x42, 0x50, 0x00, 0x01};
    const uint32_t before = station.works.frequencyNews;
    for (int repeat = 0; repeat < 2; ++repeat) {
        poll.lastCommandSent = radio::kCatReadFrequency;
        radio::DecodeCatSerialCmd(station.works, reply, poll);
    }
    EXPECT_EQ(station.works.frequencyNews, before + 1);
    reply[1] = 0x5A;  // not decoded: no news
    poll.lastCommandSent = radio::kCatReadFrequency;
    radio::DecodeCatSerialCmd(station.works, reply, poll);
    EXPECT_EQ(station.works.frequencyNews, before + 1);
}

TEST(CatPoller, ReplyToAnotherRequestIsNotDecoded) {
    TestStation station;
    radio::CatPoll poll;
    poll.lastCommandSent = 0;
    std::array<uint8_t, 5> reply{0x01, 0x42, 0x50, 0x00, 0x01};
    radio::DecodeCatSerialCmd(station.works, reply, poll);
    EXPECT_EQ(station.works.catSerialFreq, 0);
}

}  // namespace
