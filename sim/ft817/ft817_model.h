#pragma once
// The FT-817 as its CAT port shows it: five-byte commands in (four
// parameter bytes, then the opcode), the answers a standard client waits for
// out. Frequencies are kept in 10 Hz steps, as the radio does.
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

class Ft817Model {
  public:
    // Takes bytes as they come; returns the radio's answer to every command
    // they complete, one reply each.
    std::vector<std::vector<uint8_t>> receive(const std::vector<uint8_t>& bytes);

    void setFrequency(int64_t hertz) { frequency_[vfoB_ ? 1 : 0] = hertz / 10 * 10; }
    [[nodiscard]] int64_t frequency() const { return frequency_[vfoB_ ? 1 : 0]; }
    [[nodiscard]] int polls() const { return polls_; }
    [[nodiscard]] std::string state() const;

  private:
    std::vector<uint8_t> answer(const uint8_t* command);

    std::vector<uint8_t> pending_;
    int64_t frequency_[2] = {14'250'000, 7'100'000};
    uint8_t mode_ = 0x01;  // USB
    bool vfoB_ = false;
    bool transmitting_ = false;
    int polls_ = 0;
};

}  // namespace sim
