#pragma once
// A termios serial device opened blocking read-write in raw mode. Readers poll
// the number of waiting bytes and writers repeat until every byte is out.
// The simulated station reaches its emulators through the same code, on
// pseudo-terminals.
#include <string>
#include <string_view>

namespace platform {

struct SerialSettings {
    int baud = 115200;
    bool twoStopBits = false;
};

class TermiosSerialPort {
  public:
    TermiosSerialPort() = default;
    TermiosSerialPort(const TermiosSerialPort&) = delete;
    TermiosSerialPort& operator=(const TermiosSerialPort&) = delete;
    ~TermiosSerialPort();

    // False on failure, with errno set.
    [[nodiscard]] bool open(const std::string& device);
    [[nodiscard]] bool configure(const SerialSettings& settings);
    void close();
    [[nodiscard]] bool isOpen() const { return fd_ >= 0; }
    [[nodiscard]] int fd() const { return fd_; }

    // Bytes waiting to be read; 0 when none or the port is not open.
    [[nodiscard]] int bytesAvailable() const;
    // Returns what read(2) returned for one byte.
    int readByte(char& byte);
    // False when the port is not open or failed for good.
    bool writeAll(std::string_view data);

  private:
    int fd_ = -1;
};

}  // namespace platform
