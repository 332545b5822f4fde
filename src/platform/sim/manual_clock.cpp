#include "platform/sim/manual_clock.h"

namespace platform {

Clock::TimePoint ManualClock::now() {
    return TimePoint(Duration(elapsed_.load()));
}

std::time_t ManualClock::wallTime() {
    return kWallOrigin + std::chrono::duration_cast<std::chrono::seconds>(Duration(elapsed_.load())).count();
}

void ManualClock::sleepFor(Duration duration) {
    advance(duration);
}

void ManualClock::advance(Duration duration) {
    if (duration > Duration::zero()) elapsed_ += duration.count();
}

}  // namespace platform
