#include "platform/clock.h"

#include <algorithm>

namespace platform {
namespace {

// How soon a dropped run flag ends a pause: soon enough for a person waiting
// for the station to stop, while a thread asleep for seconds (the start-up
// thread, the update confirmation) wakes only ten times a second.
constexpr Clock::Duration kRunFlagPoll = std::chrono::milliseconds(100);

}  // namespace

bool Clock::sleepWhileRunning(Duration duration, const std::atomic<int32_t>& running) {
    const TimePoint end = now() + duration;
    while (running != 0) {
        const Duration left = end - now();
        if (left <= Duration::zero()) return true;
        sleepFor(std::min(left, kRunFlagPoll));
    }
    return false;
}

bool Clock::sleepUnlessChanged(Duration duration, const std::atomic<uint32_t>& word, uint32_t seen) {
    sleepFor(duration);
    return word != seen;
}

}  // namespace platform
