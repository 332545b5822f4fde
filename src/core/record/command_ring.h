#pragma once
// Amplifier command codes waiting to be sent by the link thread. Any thread
// may queue; only the link thread takes them out.
#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace core {

class CommandRing {
  public:
    static constexpr int kSize = 30;

    void push(int32_t code);
    [[nodiscard]] std::optional<int32_t> pop();
    [[nodiscard]] bool empty() const;
    void clear();
    // The pending codes, oldest first (for tests and the service page).
    [[nodiscard]] std::vector<int32_t> pending() const;

  private:
    // Of a full ring, the oldest code that is not a fan command (the oldest of all when every one is).
    void dropOldest();

    mutable std::mutex mutex_;
    std::array<int32_t, kSize> cmdRing_{};
    int32_t cmdIn_ = 0;
    int32_t cmdOut_ = 0;
};

}  // namespace core
