#pragma once
// Faults injected into the replies, so that the controller's time-outs,
// retries and checksum handling can be exercised. One kind is armed at a
// time, for the next n replies.
#include <chrono>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "sim/amp/fault_arming.h"

namespace sim {

enum class FaultKind { None, Drop, Delay, Crc, Lowercase, Refuse, Garbage, Long };

[[nodiscard]] const char* faultName(FaultKind kind);

class FaultInjector {
  public:
    static constexpr std::chrono::milliseconds kDelay{2000};  // past the controller's 1.5 s time-out
    static constexpr size_t kLongLine = 600;                  // past the controller's 500-byte buffer

    FaultInjector();

    void arm(FaultKind kind, int count) { arming_.arm(kind, count); }
    void clear() { arming_.clear(); }
    [[nodiscard]] FaultKind kind() const { return arming_.kind(); }
    [[nodiscard]] int remaining() const { return arming_.remaining(); }
    // "fault <kind> [n]" / "fault none", the words after "fault": the reply line.
    [[nodiscard]] std::string command(std::span<const std::string_view> args);

    // The frame of a reply payload, with the armed fault applied when one is left.
    [[nodiscard]] std::vector<Transmission> transmit(std::string_view reply);

  private:
    [[nodiscard]] std::string randomBytes(size_t count);

    FaultArming<FaultKind> arming_;
    std::mt19937 random_{0x5eed};
};

}  // namespace sim
