#pragma once
// A serial port read with bytes already read put back, to be read again
// first: the reader of a stream looks ahead to check a header or a message's
// end.
#include <cstdint>
#include <deque>
#include <span>

#include "platform/serial_port.h"

namespace radio {

class PutBackLine {
  public:
    explicit PutBackLine(platform::SerialPort& port) : port_(port) {}
    [[nodiscard]] int bytesAvailable() { return static_cast<int>(putBack_.size()) + port_.bytesAvailable(); }
    // What read(2) returned for one byte.
    int readByte(uint8_t& byte) {
        if (putBack_.empty()) return port_.readByte(byte);
        byte = putBack_.front();
        putBack_.pop_front();
        return 1;
    }
    // Ahead of whatever waits, in their order.
    void putBack(std::span<const uint8_t> bytes) {
        putBack_.insert(putBack_.begin(), bytes.begin(), bytes.end());
    }
    // For writing: what goes out does not pass the bytes put back.
    [[nodiscard]] platform::SerialPort& port() { return port_; }

  private:
    platform::SerialPort& port_;
    std::deque<uint8_t> putBack_;
};

}  // namespace radio
