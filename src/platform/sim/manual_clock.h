#pragma once
// A clock for tests: time stands still until something sleeps, and a sleep
// advances it at once, so that pauses cost no real time.
#include "platform/clock.h"

namespace platform {

class ManualClock : public Clock {
  public:
    // The calendar time at the start, the same in every run.
    static constexpr std::time_t kWallOrigin = 1700000000;

    TimePoint now() override;
    std::chrono::system_clock::time_point systemTime() override;
    void sleepFor(Duration duration) override;

    // Moves the time on; negative durations are ignored.
    void advance(Duration duration);

  private:
    std::atomic<Duration::rep> elapsed_{0};
};

}  // namespace platform
