#pragma once
// The front panel's small controller on the simulated GPIO block. It follows
// the link's clock (GPIO 6) and data (GPIO 4) lines edge by edge: a command
// byte comes in most significant bit first, sampled as the clock falls; the
// answer goes out as 12 bits, one put on the data line at each falling edge,
// four zero bits and then the answer byte.
//
// Its answers come from a small supply model: the polls 0xD0, 0xD1 and 0xD2
// read fixed values of the controller's own channels (0x5A, 0x3C, 0x80); 0xD3
// reads the amplifier supply: 48.0 V through the divider of the 120 W model
// gives 192 counts (48.0 V on the panel; the 60 W model's divider shows the
// same count as 16.3 V). Commands ending in 5 (the status request 0xC5) read
// status 0; 0x85 switches the unit off once its answer is out.
#include <cstdint>
#include <functional>

#include "platform/sim/sim_gpio.h"

namespace platform {

class TinyControllerEmulator {
  public:
    static constexpr int kDataPin = 4;
    static constexpr int kClockPin = 6;
    static constexpr uint8_t kSupplyCounts = 192;
    static constexpr uint8_t kPowerOff = 0x85;

    // Listens to gpio's writes while it exists; only the GPIO block's one
    // writer reaches it.
    explicit TinyControllerEmulator(SimGpio& gpio);
    ~TinyControllerEmulator();
    TinyControllerEmulator(const TinyControllerEmulator&) = delete;
    TinyControllerEmulator& operator=(const TinyControllerEmulator&) = delete;

    void whenPoweredOff(std::function<void()> action) { powerOff_ = std::move(action); }

  private:
    // The answer byte to a command.
    [[nodiscard]] static uint8_t answer(uint8_t command);
    void follow();

    SimGpio& gpio_;
    int clock_ = 0;
    int bits_ = 0;  // of the command received, then of the answer sent
    bool answering_ = false;
    uint8_t command_ = 0;
    uint16_t answer_ = 0;
    std::function<void()> powerOff_;
};

}  // namespace platform
