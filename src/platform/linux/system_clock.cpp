#include "platform/linux/system_clock.h"

#include <thread>

namespace platform {

Clock::TimePoint SystemClock::now() {
    return std::chrono::steady_clock::now();
}

std::chrono::system_clock::time_point SystemClock::systemTime() {
    return std::chrono::system_clock::now();
}

void SystemClock::sleepFor(Duration duration) {
    std::this_thread::sleep_for(duration);
}

}  // namespace platform
