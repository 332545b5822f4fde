#pragma once
// The machine's own clock: the monotonic clock, the calendar and real sleeps.
#include "platform/clock.h"

namespace platform {

class SystemClock : public Clock {
  public:
    TimePoint now() override;
    std::chrono::system_clock::time_point systemTime() override;
    void sleepFor(Duration duration) override;
    bool sleepUnlessChanged(Duration duration, const std::atomic<uint32_t>& word, uint32_t seen) override;
};

}  // namespace platform
