#include "platform/linux/system_clock.h"

#include <thread>

#include "platform/linux/word_wait.h"

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

bool SystemClock::sleepUnlessChanged(Duration duration, const std::atomic<uint32_t>& word, uint32_t seen) {
    return waitWhileUnchanged(word, seen, duration);
}

}  // namespace platform
