#pragma once
// The FT-817's answer to the read-frequency-and-mode command: four bytes of
// packed BCD frequency in 10 Hz units, most significant first, then the mode.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace radio {

inline constexpr size_t kCatReplySize = 5;
inline constexpr uint8_t kCatReadFrequency = 0x03;
// The request: four zero parameter bytes, then the opcode.
inline constexpr std::array<uint8_t, 5> kCatFrequencyRequest{0, 0, 0, 0, kCatReadFrequency};

// True when the byte is not packed BCD.
[[nodiscard]] bool VerifyByteFreq(uint8_t byte);

// True for the radio's modes, LSB to PKT, with or without bit 7 (narrow filter).
[[nodiscard]] bool knownCatMode(uint8_t mode);

// The frequency in Hz, nothing when a frequency byte is not packed BCD or the
// last byte is not a mode: a reply read one byte out of step has a frequency
// byte there, which is packed BCD as well.
[[nodiscard]] std::optional<int32_t> decodeCatFrequency(std::span<const uint8_t, kCatReplySize> reply);

}  // namespace radio
