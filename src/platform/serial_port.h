#pragma once
// A serial device opened read-write in raw mode. Readers ask how many bytes
// wait and take them one at a time or as many as wait; writers repeat until
// every byte is out.
// The target and the simulated station open termios devices (the emulators
// sit on pseudo-terminals); tests script one on the manual clock.
#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace platform {

struct SerialSettings {
    int baud = 115200;
    bool twoStopBits = false;
    // Lowers the modem lines when the port closes.
    bool hangUpOnClose = true;
};

class SerialPort {
  public:
    SerialPort() = default;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    virtual ~SerialPort() = default;

    // False on failure, with errno set.
    [[nodiscard]] virtual bool open(const std::string& device) = 0;
    // 8 data bits, no parity, a read waiting for one byte; what had arrived is dropped.
    [[nodiscard]] virtual bool configure(const SerialSettings& settings) = 0;
    virtual void close() = 0;
    [[nodiscard]] virtual bool isOpen() const = 0;
    // The descriptor, for the log and for the remote client's writes; -1 when closed.
    [[nodiscard]] virtual int fd() const = 0;

    // Bytes waiting to be read; 0 when none or the port is not open.
    [[nodiscard]] virtual int bytesAvailable() = 0;
    // What read(2) returned for one byte: 1, 0 when a read time-out passed
    // without one, negative on failure.
    virtual int readByte(uint8_t& byte) = 0;
    // What read(2) returned for up to into.size() bytes (into not empty); like
    // readByte it may wait when nothing waits. A port that has no better way
    // reads one byte.
    virtual int readSome(std::span<uint8_t> into) { return readByte(into[0]); }
    // From now on a read waits at most timeout for a byte and may return none.
    [[nodiscard]] virtual bool setReadTimeout(std::chrono::milliseconds timeout) = 0;
    // False when the port is not open or failed for good.
    virtual bool writeAll(std::span<const uint8_t> bytes) = 0;
    // Drops what has arrived and was not yet read.
    [[nodiscard]] virtual bool flushInput() = 0;

    bool writeText(std::string_view text) {
        return writeAll({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    }
};

// Reads and drops the bytes waiting now (not those that come meanwhile);
// returns their count.
inline int discardWaiting(SerialPort& port) {
    const int waiting = port.bytesAvailable();
    int dropped = 0;
    uint8_t byte = 0;
    while (dropped < waiting && port.readByte(byte) == 1) ++dropped;
    return dropped;
}

}  // namespace platform
