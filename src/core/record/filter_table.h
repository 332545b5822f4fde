#pragma once
// The receive filter table and the filter files found on a USB stick, as the
// filter pages show them. Edited from the key thread, drawn by the main loop:
// every access holds the table's lock.
#include <array>
#include <cstdint>
#include <string>

#include "core/guarded.h"

namespace core {

inline constexpr int32_t kFilterRows = 8;
inline constexpr int32_t kUsbFiles = 16;

struct FilterRow {
    int32_t Fstart = 0, Fstop = 0;  // Hz
    uint8_t enabled = 0;
};

using FilterRows = std::array<FilterRow, kFilterRows>;
using FilterTable = Guarded<FilterRows>;
// Names of the .txt files under /mnt; usbFileCount says how many are listed.
using UsbFileList = Guarded<std::array<std::string, kUsbFiles>>;

}  // namespace core
