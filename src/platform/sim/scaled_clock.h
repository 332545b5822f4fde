#pragma once
// The simulated station's clock: real time, or a fixed number of times faster
// (--time-scale), so that waits such as the start-up countdown pass quickly.
// Calendar time runs at the same speed from the host's time at the start.
#include <optional>
#include <string>

#include "platform/clock.h"

namespace platform {

// A --time-scale value: a positive, finite number of simulated seconds per real second.
[[nodiscard]] std::optional<double> parseTimeScale(const std::string& text);

class ScaledClock : public Clock {
  public:
    // scale: simulated seconds per real second, above 0.
    explicit ScaledClock(double scale);

    TimePoint now() override;
    std::chrono::system_clock::time_point systemTime() override;
    void sleepFor(Duration duration) override;
    bool sleepUnlessChanged(Duration duration, const std::atomic<uint32_t>& word, uint32_t seen) override;

  private:
    [[nodiscard]] Duration elapsed() const;

    double scale_;
    std::chrono::steady_clock::time_point origin_;
    std::chrono::system_clock::time_point wallOrigin_;
};

}  // namespace platform
