#include "platform/clock.h"

#include <algorithm>

namespace platform {
namespace {

// How soon a dropped run flag ends a pause.
constexpr Clock::Duration kRunFlagPoll = std::chrono::milliseconds(10);

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

}  // namespace platform
