#pragma once
// Frames of the amplifier link, in both directions: two hexadecimal
// characters of the CRC-8/MAXIM of the payload, then the payload, which ends
// in ";". The controller writes the CRC in lower case and accepts only upper
// case from the amplifier.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace amp {

// Dallas/Maxim 1-Wire CRC-8: reflected polynomial 0x8C, initial 0, no final XOR.
[[nodiscard]] uint8_t Sys_Crc8Calculation(const uint8_t* bytes, size_t length);
[[nodiscard]] uint8_t crc8(std::string_view payload);

enum class HexCase { Lower, Upper };
[[nodiscard]] std::string encodeFrame(std::string_view payload, HexCase hexCase = HexCase::Lower);

enum class FrameStatus { Good, TooShort, BadCrc };
struct CheckedFrame {
    FrameStatus status;
    std::string_view payload;  // the frame without its CRC characters
    uint8_t computedCrc;
};
// Checks a received frame against the given case of its CRC characters.
[[nodiscard]] CheckedFrame checkFrame(std::string_view frame, HexCase expected = HexCase::Upper);

// Gathers received bytes up to the ";" that ends a frame.
class FrameAssembler {
  public:
    static constexpr size_t kCapacity = 500;
    enum class Result { More, Complete, Overflow };

    // Overflow: kCapacity bytes came without a ";" and were dropped.
    Result push(char byte);
    [[nodiscard]] std::string_view frame() const { return buffer_; }
    void clear() { buffer_.clear(); }

  private:
    std::string buffer_;
};

}  // namespace amp
