#pragma once
// The transceiver's CAT port: a USB serial device reached by descriptor, so
// that the bridge reads it and the remote server writes to it.
#include <string>

namespace platform {

// The device opened read-write; -1 with errno set.
[[nodiscard]] int openCatPort(const std::string& path);
// Raw 8N1 at 115200 baud, a read waiting for one byte, input flushed; false with errno set.
[[nodiscard]] bool configureCatPort(int fd);
// Reads that wait at most deciseconds for a byte and may return none.
[[nodiscard]] bool setCatReadTimeout(int fd, int deciseconds);
// Drops what the device has received and not yet been read.
[[nodiscard]] bool flushCatInput(int fd);
// Bytes waiting to be read; 0 when none or the query fails.
[[nodiscard]] int catBytesWaiting(int fd);

}  // namespace platform
