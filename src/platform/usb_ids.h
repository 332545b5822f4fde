#pragma once
// The USB identifiers of the maker's transceiver, as it enumerates on the bus.
#include <cstdint>

namespace platform {

inline constexpr uint16_t QorUsbVendorId = 0x1209;
inline constexpr uint16_t QorUsbProductId = 0x5154;

}  // namespace platform
