#pragma once
// The USB identifiers of the maker's transceiver family. The vendor is the
// open-hardware registry pid.codes, the products its IDs for private use, so
// nothing else on a bus answers to them.
#include <array>
#include <cstdint>

namespace platform {

inline constexpr uint16_t QorUsbVendorId = 0x1209;
// The model this system works with.
inline constexpr uint16_t QorUsbProductId = 0x0007;
inline constexpr const char* QorUsbModelName = "VYX";
// Models of the same family that it does not work with, and their names.
inline constexpr std::array<uint16_t, 2> QorUsbOtherModelIds{0x0008, 0x0009};
inline constexpr std::array<const char*, 2> QorUsbOtherModelNames{"VYX-2", "VYX-R"};

}  // namespace platform
