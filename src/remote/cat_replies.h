#pragma once
// The transceiver's CAT replies taken out of the bytes of its CAT port: a
// reply ends with ';'. Bytes that do not end in one within 200 are dropped.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace remote {

class CatReplies {
  public:
    static constexpr size_t kReplyBytes = 200;

    // The reply this byte completes, its ';' included, valid until the next
    // call; empty while the reply is not complete.
    [[nodiscard]] std::span<const uint8_t> take(uint8_t byte);

  private:
    std::array<uint8_t, kReplyBytes> reply_{};
    size_t length_ = 0;
};

}  // namespace remote
