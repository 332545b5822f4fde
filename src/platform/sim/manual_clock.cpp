#include "platform/sim/manual_clock.h"

namespace platform {

Clock::TimePoint ManualClock::now() {
    return TimePoint(Duration(elapsed_.load()));
}

std::chrono::system_clock::time_point ManualClock::systemTime() {
    return std::chrono::system_clock::from_time_t(kWallOrigin) +
           std::chrono::duration_cast<std::chrono::system_clock::duration>(Duration(elapsed_.load()));
}

void ManualClock::sleepFor(Duration duration) {
    advance(duration);
}

void ManualClock::advance(Duration duration) {
    if (duration > Duration::zero()) elapsed_ += duration.count();
}

}  // namespace platform
