#pragma once
// The one source of time of the system: every pause and every reading of the
// time goes through the platform's clock, so that a simulated clock can run
// the station faster than real time or let a test drive it.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>

namespace platform {

class Clock {
  public:
    using Duration = std::chrono::nanoseconds;
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;

    // Monotonic time, for intervals and deadlines.
    virtual TimePoint now() = 0;
    // Calendar time to the microsecond, for what the remote client is told.
    virtual std::chrono::system_clock::time_point systemTime() = 0;
    // Calendar time in whole seconds, for the panel's clock text, the screen saver and log lines.
    std::time_t wallTime() { return std::chrono::system_clock::to_time_t(systemTime()); }
    virtual void sleepFor(Duration duration) = 0;

    // Sleeps for duration, or less when running drops to 0 meanwhile. True when the
    // whole pause passed with the flag up.
    bool sleepWhileRunning(Duration duration, const std::atomic<int32_t>& running);
    // Sleeps for duration, or less once word no longer holds seen and its
    // writer has called wakeWatchers. True when it changed. A clock that
    // cannot be woken sleeps the whole duration.
    virtual bool sleepUnlessChanged(Duration duration, const std::atomic<uint32_t>& word, uint32_t seen);
};

// Counts one change more in word and wakes the clocks' sleeps that watch it.
void wakeWatchers(std::atomic<uint32_t>& word);

}  // namespace platform
