#pragma once
// A termios serial device opened blocking read-write in raw mode. The
// simulated station reaches its emulators through the same code, on
// pseudo-terminals.
#include "platform/serial_port.h"

namespace platform {

class TermiosSerialPort final : public SerialPort {
  public:
    TermiosSerialPort() = default;
    ~TermiosSerialPort() override;

    [[nodiscard]] bool open(const std::string& device) override;
    [[nodiscard]] bool configure(const SerialSettings& settings) override;
    void close() override;
    [[nodiscard]] bool isOpen() const override { return fd_ >= 0; }
    [[nodiscard]] int fd() const override { return fd_; }

    [[nodiscard]] int bytesAvailable() override;
    int readByte(uint8_t& byte) override;
    int readSome(std::span<uint8_t> into) override;
    [[nodiscard]] bool setReadTimeout(std::chrono::milliseconds timeout) override;
    bool writeAll(std::span<const uint8_t> bytes) override;
    [[nodiscard]] bool flushInput() override;

  private:
    int fd_ = -1;
};

}  // namespace platform
