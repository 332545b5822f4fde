#pragma once
// A serial line as the transceiver links use it: how many bytes wait, one
// byte in, a block out. The open port is one; tests script another.
#include <cstdint>
#include <deque>
#include <span>

#include "platform/linux/termios_serial_port.h"

namespace radio {

class ByteLine {
  public:
    virtual ~ByteLine() = default;
    [[nodiscard]] virtual int bytesAvailable() = 0;
    // What read(2) returned for one byte.
    virtual int readByte(uint8_t& byte) = 0;
    // False when the line failed for good.
    virtual bool writeAll(std::span<const uint8_t> bytes) = 0;
};

// Reads and drops the bytes waiting now (not those that come meanwhile);
// returns their count.
inline int discardWaiting(ByteLine& line) {
    const int waiting = line.bytesAvailable();
    int dropped = 0;
    uint8_t byte = 0;
    while (dropped < waiting && line.readByte(byte) == 1) ++dropped;
    return dropped;
}

class SerialByteLine : public ByteLine {
  public:
    explicit SerialByteLine(platform::TermiosSerialPort& port) : port_(port) {}
    [[nodiscard]] int bytesAvailable() override { return port_.bytesAvailable(); }
    int readByte(uint8_t& byte) override {
        char read = 0;
        int result = port_.readByte(read);
        byte = static_cast<uint8_t>(read);
        return result;
    }
    bool writeAll(std::span<const uint8_t> bytes) override {
        return port_.writeAll({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    }

  private:
    platform::TermiosSerialPort& port_;
};

// A line that bytes already read can be put back on, to be read again first:
// the reader of a stream looks ahead to check a header or a message's end.
class PutBackLine : public ByteLine {
  public:
    explicit PutBackLine(ByteLine& line) : line_(line) {}
    [[nodiscard]] int bytesAvailable() override {
        return static_cast<int>(putBack_.size()) + line_.bytesAvailable();
    }
    int readByte(uint8_t& byte) override {
        if (putBack_.empty()) return line_.readByte(byte);
        byte = putBack_.front();
        putBack_.pop_front();
        return 1;
    }
    bool writeAll(std::span<const uint8_t> bytes) override { return line_.writeAll(bytes); }
    // Ahead of whatever waits, in their order.
    void putBack(std::span<const uint8_t> bytes) {
        putBack_.insert(putBack_.begin(), bytes.begin(), bytes.end());
    }

  private:
    ByteLine& line_;
    std::deque<uint8_t> putBack_;
};

}  // namespace radio
