#include "platform/linux/system_clock.h"

#include <thread>

namespace platform {

Clock::TimePoint SystemClock::now() {
    return std::chrono::steady_clock::now();
}

std::time_t SystemClock::wallTime() {
    return std::time(nullptr);
}

void SystemClock::sleepFor(Duration duration) {
    std::this_thread::sleep_for(duration);
}

}  // namespace platform
