#pragma once
// A transceiver port in memory for the fuzz targets: it keeps what is
// written, or refuses every write as a port gone away does, and has nothing
// to read.
#include <string>

#include "platform/serial_port.h"

namespace fuzzing {

class MemoryPort : public platform::SerialPort {
  public:
    explicit MemoryPort(bool failing) : failing_(failing) {}

    bool open(const std::string&) override { return true; }
    bool configure(const platform::SerialSettings&) override { return true; }
    void close() override {}
    [[nodiscard]] bool isOpen() const override { return true; }
    [[nodiscard]] int fd() const override { return -1; }
    int bytesAvailable() override { return 0; }
    int readByte(uint8_t&) override { return 0; }
    bool setReadTimeout(std::chrono::milliseconds) override { return true; }
    bool writeAll(std::span<const uint8_t> bytes) override {
        if (failing_) return false;
        written.append(bytes.begin(), bytes.end());
        return true;
    }
    bool flushInput() override { return true; }

    std::string written;

  private:
    bool failing_;
};

}  // namespace fuzzing
