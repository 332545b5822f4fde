#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "remote/frame_builder.h"
#include "remote/frame_reader.h"
#include "sim/remote/remote_client.h"
#include "test_station.h"

namespace {

using Bytes = std::vector<uint8_t>;
using remote::FrameRead;
using remote::MessageForm;

// A peer that sends the bytes, at most `piece` per read, then ends the connection.
remote::ReadBytes peer(const Bytes& bytes, size_t piece = 1000) {
    auto position = std::make_shared<size_t>(0);
    return [bytes, piece, position](uint8_t* into, size_t count) -> ssize_t {
        const size_t take = std::min({count, piece, bytes.size() - *position});
        if (take == 0) {
            errno = EAGAIN;  // as the receive time-out reports it
            return -1;
        }
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(*position), take, into);
        *position += take;
        return static_cast<ssize_t>(take);
    };
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes filled(size_t count, uint8_t value) {
    return Bytes(count, value);
}

Bytes maskedText(const std::string& text, const uint8_t (&key)[4]) {
    Bytes frame = {0x81, static_cast<uint8_t>(text.size()), key[0], key[1], key[2], key[3]};
    for (size_t i = 0; i < text.size(); ++i) frame.push_back(static_cast<uint8_t>(text[i] ^ key[i % 4]));
    return frame;
}

// A browser's frame: the mask bit, the length in its shortest form (or the
// one asked), the key and the payload masked with it.
Bytes browserFrame(uint8_t type, const Bytes& payload, uint8_t lengthCode = 0) {
    const uint8_t key[4] = {0x37, 0xFA, 0x21, 0x3D};
    const size_t size = payload.size();
    if (lengthCode == 0) lengthCode = size <= 125 ? static_cast<uint8_t>(size) : 126;
    Bytes frame = {type, static_cast<uint8_t>(0x80 | lengthCode)};
    const int lengthBytes = lengthCode == 126 ? 2 : lengthCode == 127 ? 8 : 0;
    for (int i = lengthBytes - 1; i >= 0; --i)
        frame.push_back(static_cast<uint8_t>(uint64_t{size} >> (8 * i)));
    frame.insert(frame.end(), key, key + 4);
    for (size_t i = 0; i < size; ++i) frame.push_back(payload[i] ^ key[i % 4]);
    return frame;
}

TEST(RemoteFrames, ABrowsersMaskedFrameReadsAsTheDialectsFrameOfTheSameContent) {
    const Bytes heartbeat = concat({{'H', 'B'}, filled(8, 0x5A)});
    const Bytes audio = concat({{'S', 'O'}, filled(960, 0x33)});
    struct Case {
        const char* name;
        Bytes masked;
        Bytes dialect;
    };
    const Case cases[] = {
        {"short binary", browserFrame(0x82, heartbeat), concat({{0x82, 10}, heartbeat})},
        {"16-bit binary", browserFrame(0x82, audio), concat({{0x82, 126, 0x03, 0xC2}, audio})},
        {"short binary in the 16-bit form", browserFrame(0x82, heartbeat, 126),
         concat({{0x82, 10}, heartbeat})},
        {"short binary in the 64-bit form", browserFrame(0x82, heartbeat, 127),
         concat({{0x82, 10}, heartbeat})},
        {"a close frame", browserFrame(0x88, {0x03, 0xE9}), {0x88, 2, 0x03, 0xE9}},
    };
    for (const Case& test : cases) {
        remote::Frame fromBrowser, fromDialect;
        ASSERT_EQ(remote::readFrame(peer(test.masked, 3), fromBrowser), FrameRead::Complete) << test.name;
        ASSERT_EQ(remote::readFrame(peer(test.dialect), fromDialect), FrameRead::Complete) << test.name;
        EXPECT_TRUE(fromBrowser.masked && !fromDialect.masked) << test.name;
        EXPECT_EQ(Bytes(fromBrowser.bytes.begin(), fromBrowser.bytes.begin() + fromBrowser.size),
                  Bytes(fromDialect.bytes.begin(), fromDialect.bytes.begin() + fromDialect.size))
            << test.name;
    }
    remote::Frame phrase;
    ASSERT_EQ(remote::readFrame(peer(browserFrame(0x81, {'S', 'e', 'c', 'r', 'e', 't', '7'})), phrase),
              FrameRead::Complete);
    EXPECT_EQ(remote::messageOf(phrase).form, MessageForm::Text);
    EXPECT_EQ(remote::unmaskedText(phrase), "Secret7");
}

TEST(RemoteFrames, ReadsTheThreeLengthFormsAndRefusesWhatTheBufferCannotHold) {
    testing_support::TestStation station;
    struct Case {
        const char* name;
        Bytes bytes;
        FrameRead result;
        size_t size = 0;                        // of the frame read
        MessageForm form = MessageForm::Other;  // of the message in it
        std::string code{};
        size_t data = 0;
    };
    using enum FrameRead;
    using enum MessageForm;
    const Case cases[] = {
        {"short binary", concat({{0x82, 10, 'H', 'B'}, filled(8, 7)}), Complete, 12, ShortBinary, "HB", 8},
        {"short binary of code only", {0x82, 2, 'S', 'T'}, Complete, 4, ShortBinary, "ST"},
        {"short text carries a mask key", concat({{0x81, 3, 1, 2, 3, 4}, filled(3, 'x')}), Complete, 9, Text,
         "", 3},
        {"empty text frame", {0x81, 0, 0, 0, 0, 0}, Complete, 6, Text},
        {"long binary", concat({{0x82, 126, 0x02, 0x58, 'S', 'O'}, filled(598, 1)}), Complete, 604,
         LongBinary, "SO", 598},
        {"long binary filling the buffer", concat({{0x82, 126, 0x03, 0xFC, 'S', 'O'}, filled(1018, 1)}),
         Complete, 1024, LongBinary, "SO", 1018},
        {"long binary over the buffer", concat({{0x82, 126, 0x03, 0xFD, 'S', 'O'}, filled(1019, 1)}),
         Refused},
        {"32-bit length", concat({{0x82, 127, 0, 0, 0, 10, 'S', 'O'}, filled(8, 1)}), Complete, 14},
        {"32-bit over the buffer", concat({{0x82, 127, 0, 1, 0, 0, 'S', 'O'}, filled(2000, 1)}), Refused},
        {"32-bit length shorter than a code", {0x82, 127, 0, 0, 0, 1, 'S'}, Refused},
        {"short binary shorter than a code", {0x82, 1, 'S', 0x82}, Refused},
        {"cut short in the header", {0x82, 10, 'H'}, Ended},
        {"cut short in the body", {0x82, 10, 'H', 'B', 1, 2}, Ended},
        {"cut short in the long body", {0x82, 126, 0, 20, 'S', 'O', 1}, Ended},
        {"another frame type", {0x88, 2, 'X', 'Y'}, Complete, 4},
        {"masked binary filling the buffer", browserFrame(0x82, concat({{'S', 'O'}, filled(1018, 1)})),
         Complete, 1024, LongBinary, "SO", 1018},
        {"masked binary over the buffer", browserFrame(0x82, concat({{'S', 'O'}, filled(1019, 1)})), Refused},
        {"masked 64-bit length past any buffer", {0x82, 0xFF, 0, 0, 1, 0, 0, 0, 0, 0, 1, 2, 3, 4}, Refused},
        {"masked text longer than a text frame", browserFrame(0x81, filled(126, 'x')), Refused},
        {"masked binary shorter than a code", browserFrame(0x82, {'S'}), Complete, 3},
        {"cut short in the mask key", {0x82, 0x84, 1, 2, 3}, Ended},
        {"cut short in the masked body", {0x82, 0x84, 1, 2, 3, 4, 5}, Ended},
        {"long binary shorter than a code", {0x82, 126, 0, 1, 'S'}, Complete, 5},
    };
    for (const Case& test : cases) {
        for (size_t piece : {size_t{1}, size_t{1000}}) {
            remote::Frame frame;
            EXPECT_EQ(remote::readFrame(peer(test.bytes, piece), frame), test.result) << test.name;
            if (test.result != Complete) continue;
            EXPECT_EQ(frame.size, test.size) << test.name;
            const remote::Message message = remote::messageOf(frame);
            EXPECT_EQ(message.form, test.form) << test.name;
            EXPECT_EQ(message.code, test.code) << test.name;
            EXPECT_EQ(message.data.size(), test.data) << test.name;
        }
    }
}

TEST(RemoteFrames, ReadsFramesBackToBackWithoutTakingTheNextOnesBytes) {
    const uint8_t key[4] = {0x11, 0x22, 0x33, 0x44};
    const remote::ReadBytes read = peer(
        concat({maskedText("secret", key), {0x82, 4, 'C', 'A', 'X', 'Y'}, {0x82, 126, 0, 3, 'S', 'P', 9}}));
    remote::Frame frame;
    ASSERT_EQ(remote::readFrame(read, frame), FrameRead::Complete);
    EXPECT_EQ(remote::unmaskedText(frame), "secret");
    ASSERT_EQ(remote::readFrame(read, frame), FrameRead::Complete);
    EXPECT_EQ(remote::messageOf(frame).code, "CA");
    ASSERT_EQ(remote::readFrame(read, frame), FrameRead::Complete);
    EXPECT_EQ(remote::messageOf(frame).code, "SP");
}

TEST(RemoteFrames, UnmasksTextWithItsKeyUpToTheFirstZero) {
    struct Case {
        std::string sent;
        uint8_t key[4];
        std::string text;
    };
    for (const Case& test :
         {Case{"Secret7", {0, 0, 0, 0}, "Secret7"}, Case{"Secret7", {0xA5, 0x5A, 0xFF, 0x01}, "Secret7"},
          Case{std::string("ab\0cd", 5), {9, 8, 7, 6}, "ab"}, Case{"", {1, 2, 3, 4}, ""}}) {
        const Bytes bytes = maskedText(test.sent, test.key);
        remote::Frame frame;
        ASSERT_EQ(remote::readFrame(peer(bytes), frame), FrameRead::Complete);
        EXPECT_EQ(remote::unmaskedText(frame), test.text);
    }
}

TEST(RemoteFrames, ABrowserGetsLongFramesThatAShortOneCouldCarryAsThatShortOne) {
    for (const size_t size : {0, 1, 123, 124, 900}) {
        const Bytes data(size, 0x5a);
        Bytes frame = remote::longFrame("SO", data);
        remote::shortestLengthForm(frame);
        EXPECT_EQ(frame,
                  size <= remote::kShortData ? remote::shortFrame("SO", data) : remote::longFrame("SO", data))
            << size;
    }
    Bytes heartbeat = remote::shortFrame("HB", Bytes(16, 1));
    const Bytes before = heartbeat;
    remote::shortestLengthForm(heartbeat);
    EXPECT_EQ(heartbeat, before);
}

TEST(RemoteFrames, BuildsShortLongAndSplitFrames) {
    const Bytes data = {'F', 'A', ';'};
    EXPECT_EQ(remote::shortFrame("CA", data), (Bytes{0x82, 5, 'C', 'A', 'F', 'A', ';'}));
    EXPECT_EQ(remote::longFrame("SO", data), (Bytes{0x82, 126, 0, 5, 'S', 'O', 'F', 'A', ';'}));
    struct Case {
        size_t size;
        std::vector<size_t> frames;  // data bytes of each frame
    };
    for (const Case& test : {Case{0, {}}, Case{123, {123}}, Case{124, {123, 1}}, Case{300, {123, 123, 54}}}) {
        Bytes text(test.size);
        for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<uint8_t>(i);
        const auto frames = remote::shortFrames("PA", text);
        ASSERT_EQ(frames.size(), test.frames.size()) << test.size;
        Bytes joined;
        for (size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i][1], test.frames[i] + 2);
            EXPECT_EQ(frames[i].size(), test.frames[i] + 4);
            joined.insert(joined.end(), frames[i].begin() + 4, frames[i].end());
        }
        EXPECT_EQ(joined, text) << "the pieces in order are the data";
    }
}

uint32_t word(const Bytes& bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
}

TEST(RemoteFrames, SpectrumChunksAnnounceTheTotalAndTheirOffset) {
    struct Case {
        size_t total;
        uint32_t offset;
        size_t spectrumBytes;  // in the chunk; the rest are zero
    };
    for (const Case& test : {Case{1024, 0, 512}, Case{1024, 512, 512}, Case{700, 512, 188}}) {
        Bytes spectrum(test.total);
        for (size_t i = 0; i < spectrum.size(); ++i) spectrum[i] = static_cast<uint8_t>(1 + i % 200);
        const Bytes chunk = remote::spectrumChunk(spectrum, test.offset);
        ASSERT_EQ(chunk.size(), 526u);
        EXPECT_EQ((Bytes{chunk.begin(), chunk.begin() + 6}), (Bytes{0x82, 126, 0x02, 0x0A, 'S', 'P'}));
        EXPECT_EQ(word(chunk, 6), test.total);
        EXPECT_EQ(word(chunk, 10), test.offset);
        for (size_t i = 0; i < 512; ++i)
            ASSERT_EQ(chunk[14 + i], i < test.spectrumBytes ? spectrum[test.offset + i] : 0) << i;
    }
}

TEST(RemoteFrames, HeartbeatAnswerCarriesTheTimeAndTheClientsEightBytes) {
    const Bytes client = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const Bytes frame = remote::heartbeatFrame(0x01020304, 999999, client);
    ASSERT_EQ(frame.size(), 20u);
    EXPECT_EQ((Bytes{frame.begin(), frame.begin() + 4}), (Bytes{0x82, 18, 'H', 'B'}));
    EXPECT_EQ(word(frame, 4), 0x01020304u);
    EXPECT_EQ(word(frame, 8), 999999u);
    EXPECT_EQ((Bytes{frame.begin() + 12, frame.end()}), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
}

// The remote client's frames as the station reads them: audio and spectrum
// only in the long form, however short (the station does not act on them in
// the short one), the other messages short while they fit.
remote::Message readBack(const std::vector<uint8_t>& bytes, remote::Frame& frame) {
    size_t at = 0;
    const remote::ReadBytes read = [&](uint8_t* into, size_t count) -> ssize_t {
        const size_t given = std::min(count, bytes.size() - at);
        std::memcpy(into, bytes.data() + at, given);
        at += given;
        return static_cast<ssize_t>(given);
    };
    EXPECT_EQ(remote::readFrame(read, frame), remote::FrameRead::Complete);
    EXPECT_EQ(at, bytes.size());
    return remote::messageOf(frame);
}

TEST(RemoteClientFrame, AudioAndSpectrumAreLongAtAnyLengthOthersShortWhileTheyFit) {
    const struct {
        const char* code;
        size_t length;
        remote::MessageForm form;
    } cases[] = {
        {"SO", 1, MessageForm::LongBinary},    // a silent Opus packet
        {"SO", 37, MessageForm::LongBinary},   // 10 ms of Opus at 30 kb/s
        {"SO", 123, MessageForm::LongBinary},  // the longest that would fit the short form
        {"SO", 960, MessageForm::LongBinary},  {"SP", 10, MessageForm::LongBinary},
        {"ST", 8, MessageForm::ShortBinary},   {"CF", 22, MessageForm::ShortBinary},
        {"CA", 123, MessageForm::ShortBinary}, {"CA", 124, MessageForm::LongBinary},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " of " + std::to_string(c.length) + " bytes");
        std::vector<uint8_t> data(c.length);
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
        remote::Frame frame;
        const remote::Message message = readBack(remote_client::messageFrame(c.code, data), frame);
        EXPECT_EQ(message.form, c.form);
        EXPECT_EQ(message.code, c.code);
        EXPECT_TRUE(std::equal(message.data.begin(), message.data.end(), data.begin(), data.end()));
    }
}

}  // namespace
