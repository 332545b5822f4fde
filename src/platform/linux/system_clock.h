#pragma once
// The machine's own clock: the monotonic clock, the calendar and real sleeps.
#include "platform/clock.h"

namespace platform {

class SystemClock : public Clock {
  public:
    TimePoint now() override;
    std::time_t wallTime() override;
    void sleepFor(Duration duration) override;
};

}  // namespace platform
