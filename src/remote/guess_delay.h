#pragma once
// Slower guessing of the pass phrase: after three wrong pass phrases in a
// row from one address, that address's next handshake is answered only
// after a wait of 1 s, doubled for every further failure up to 30 s. A right
// pass phrase clears the address; other addresses are never delayed.
#include <chrono>
#include <cstdint>
#include <map>

#include "platform/clock.h"

namespace remote {

using Address = uint32_t;  // IPv4, host order

class GuessDelay {
  public:
    using TimePoint = platform::Clock::TimePoint;

    // Counts a wrong pass phrase; returns the wait now in force for the address.
    std::chrono::seconds failed(Address address, TimePoint now);
    void succeeded(Address address);
    // When the address may be answered (at once when it has no wait).
    [[nodiscard]] TimePoint answerAt(Address address, TimePoint now) const;
    [[nodiscard]] int failures(Address address) const;

    // The wait after this many wrong pass phrases in a row.
    [[nodiscard]] static std::chrono::seconds waitAfter(int failures);

  private:
    struct Entry {
        int failures = 0;
        TimePoint answerAt{};
    };
    // Addresses remembered at most, so a sweep of addresses cannot exhaust the memory.
    static constexpr size_t kAddresses = 1024;
    std::map<Address, Entry> entries_;
};

}  // namespace remote
