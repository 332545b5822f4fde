#pragma once
// Slower guessing across all addresses: wrong pass phrases, wherever they
// come from, are taken five at once and then about one a second. The server
// reads no further handshake until the last wrong one fits; a right pass
// phrase is never counted, so it is judged and let in at once.
#include <chrono>

#include "platform/clock.h"

namespace remote {

class GuessLimit {
  public:
    using TimePoint = platform::Clock::TimePoint;

    static constexpr int kBurst = 5;
    static constexpr std::chrono::seconds kInterval{1};

    // Counts a wrong pass phrase judged at now; returns when the next handshake may be read.
    [[nodiscard]] TimePoint failed(TimePoint now);

  private:
    // When the whole burst is available again.
    TimePoint refilled_{};
};

}  // namespace remote
