#pragma once
// The 58-byte status record sent to the authenticated client every tick:
// band name, interface, attenuator, antenna, by-pass, tuner, tune, SWR,
// powers, temperature, supply voltage, current, bank, error, versions, ';'.
#include <array>
#include <cstddef>

namespace core {
struct Works;
}  // namespace core

namespace remote {

inline constexpr size_t kStatusRecordSize = 58;
using StatusRecord = std::array<char, kStatusRecordSize>;

[[nodiscard]] StatusRecord CreaBufferDiStato(core::Works& works);

}  // namespace remote
