#include "platform/sim/scaled_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/linux/system_clock.h"

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

// The main loop's pause ends when a frequency source wakes it, on either real-time clock.
TEST(ScaledClock, ASleepUnlessChangedEndsWhenTheWordIsChanged) {
    platform::ScaledClock scaled(10.0);
    platform::SystemClock system;
    for (platform::Clock* clock :
         {static_cast<platform::Clock*>(&scaled), static_cast<platform::Clock*>(&system)}) {
        std::atomic<uint32_t> word{7};
        std::atomic<bool> changed{false};
        std::thread sleeper([&] { changed = clock->sleepUnlessChanged(1h, word, 7); });
        platform::wakeWatchers(word);
        sleeper.join();
        EXPECT_TRUE(changed);
        EXPECT_EQ(word, 8u);
        EXPECT_TRUE(clock->sleepUnlessChanged(1h, word, 7)) << "a change before the sleep ends it at once";
        EXPECT_FALSE(clock->sleepUnlessChanged(1ms, word, 8)) << "unchanged, the whole pause passes";
    }
}

}  // namespace
