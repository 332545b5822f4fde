#pragma once
// Bits of the tune word tuneValue, sent with "MT1%08X;": a 9-bit capacitor
// index and a 9-bit inductor index, their bits interleaved as the
// amplifier's microcontroller expects them, and one bit per network mode.
#include <array>
#include <cstdint>

namespace core::tuneValue {

// Word bit of each index bit, weight 1 first.
inline constexpr std::array<int, 9> CapacitorBits{15, 2, 4, 6, 14, 12, 10, 8, 20};
inline constexpr std::array<int, 9> InductorBits{1, 3, 5, 7, 13, 11, 9, 19, 21};
inline constexpr uint32_t CapacitorMask = 0x10D554;
inline constexpr uint32_t InductorMask = 0x282AAA;

inline constexpr uint32_t Bypass = 1u << 16;
inline constexpr uint32_t NetworkLC = 1u << 18;  // " LC"
inline constexpr uint32_t NetworkCL = 1u << 23;  // "CL"
inline constexpr uint32_t ModeMask = Bypass | NetworkLC | NetworkCL;

}  // namespace core::tuneValue
