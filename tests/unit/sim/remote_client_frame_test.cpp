// The remote client's frames as the station reads them: audio and spectrum
// only in the long form, however short (the station does not act on them in
// the short one), the other messages short while they fit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "remote/frame_reader.h"
#include "sim/remote/remote_client.h"

namespace {

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
        {"SO", 1, remote::MessageForm::LongBinary},    // a silent Opus packet
        {"SO", 37, remote::MessageForm::LongBinary},   // 10 ms of Opus at 30 kb/s
        {"SO", 123, remote::MessageForm::LongBinary},  // the longest that would fit the short form
        {"SO", 960, remote::MessageForm::LongBinary},  {"SP", 10, remote::MessageForm::LongBinary},
        {"ST", 8, remote::MessageForm::ShortBinary},   {"CF", 22, remote::MessageForm::ShortBinary},
        {"CA", 123, remote::MessageForm::ShortBinary}, {"CA", 124, remote::MessageForm::LongBinary},
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
