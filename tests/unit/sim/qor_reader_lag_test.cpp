#include <gtest/gtest.h>

#include <chrono>

#include "sim/qor/reader_lag.h"

namespace {

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
