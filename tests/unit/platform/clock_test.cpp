#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "platform/sim/manual_clock.h"

namespace {

using namespace std::chrono_literals;

TEST(ManualClock, StandsStillUntilASleepOrAnAdvanceMovesIt) {
    platform::ManualClock clock;
    const auto start = clock.now();
    EXPECT_EQ(clock.now(), start);
    EXPECT_EQ(clock.wallTime(), platform::ManualClock::kWallOrigin);
    clock.sleepFor(1500ms);
    EXPECT_EQ(clock.now() - start, 1500ms);
    EXPECT_EQ(clock.wallTime(), platform::ManualClock::kWallOrigin + 1);
    clock.advance(-1s);
    clock.advance(500ms);
    EXPECT_EQ(clock.now() - start, 2s);
    EXPECT_EQ(clock.wallTime(), platform::ManualClock::kWallOrigin + 2);
    clock.advance(250us);
    EXPECT_EQ(clock.systemTime() - std::chrono::system_clock::from_time_t(platform::ManualClock::kWallOrigin),
              2000250us);
}

TEST(ManualClock, ASleepWhileRunningPassesWholeOnlyWithTheFlagUp) {
    platform::ManualClock clock;
    std::atomic<int32_t> running{1};
    const auto start = clock.now();
    EXPECT_TRUE(clock.sleepWhileRunning(11s, running));
    EXPECT_EQ(clock.now() - start, 11s);
    running = 0;
    EXPECT_FALSE(clock.sleepWhileRunning(11s, running));
    EXPECT_EQ(clock.now() - start, 11s);
}

}  // namespace
