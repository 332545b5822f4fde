#include "platform/sim/scaled_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Without an end on the flag the pause would last an hour and the test would time out.
TEST(ScaledClock, ASleepWhileRunningEndsWhenTheFlagDrops) {
    platform::ScaledClock clock(1.0);
    std::atomic<int32_t> running{1};
    std::atomic<bool> passedWhole{true};
    std::thread sleeper([&] { passedWhole = clock.sleepWhileRunning(1h, running); });
    running = 0;
    sleeper.join();
    EXPECT_FALSE(passedWhole);
}

}  // namespace
