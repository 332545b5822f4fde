#pragma once
// Transmissions for a port held until their time: an emulator's event loop
// adds what a request produced and, woken by the time-out it asks for,
// writes what has fallen due.
#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "sim/amp/fault_arming.h"

namespace sim {

class DelayedOutput {
  public:
    using Clock = std::chrono::steady_clock;

    void add(Clock::time_point now, std::vector<Transmission> transmissions) {
        for (Transmission& t : transmissions) scheduled_.emplace(now + t.delay, std::move(t.bytes));
    }

    // The bytes due by now, in the order of their times (and of their adding at one time).
    [[nodiscard]] std::string takeDue(Clock::time_point now) {
        std::string due;
        while (!scheduled_.empty() && scheduled_.begin()->first <= now) {
            due += scheduled_.begin()->second;
            scheduled_.erase(scheduled_.begin());
        }
        return due;
    }

    // Milliseconds until the next is due, for poll(2): -1 when nothing waits.
    [[nodiscard]] int pollTimeoutMs(Clock::time_point now) const {
        if (scheduled_.empty()) return -1;
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(scheduled_.begin()->first - now);
        return static_cast<int>(std::max<long long>(0, wait.count()));
    }

  private:
    std::multimap<Clock::time_point, std::string> scheduled_;
};

}  // namespace sim
