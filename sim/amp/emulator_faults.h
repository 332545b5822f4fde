#pragma once
// Faults injected into the replies, so that the controller's time-outs,
// retries and checksum handling can be exercised. One kind is armed at a
// time, for the next n replies.
#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class FaultKind { None, Drop, Delay, Crc, Lowercase, Refuse, Garbage, Long };

[[nodiscard]] const char* faultName(FaultKind kind);
[[nodiscard]] std::optional<FaultKind> faultFromName(std::string_view name);

// Bytes for the port, sent after the delay.
struct Transmission {
    std::string bytes;
    std::chrono::milliseconds delay{0};
};

class FaultInjector {
  public:
    static constexpr std::chrono::milliseconds kDelay{2000};  // past the controller's 1.5 s time-out
    static constexpr size_t kLongLine = 600;                  // past the controller's 500-byte buffer

    void arm(FaultKind kind, int count);
    void clear() { arm(FaultKind::None, 0); }
    [[nodiscard]] FaultKind kind() const { return kind_; }
    [[nodiscard]] int remaining() const { return remaining_; }

    // The frame of a reply payload, with the armed fault applied when one is left.
    [[nodiscard]] std::vector<Transmission> transmit(std::string_view reply);

  private:
    [[nodiscard]] std::string randomBytes(size_t count);

    FaultKind kind_ = FaultKind::None;
    int remaining_ = 0;
    std::mt19937 random_{0x5eed};
};

}  // namespace sim
