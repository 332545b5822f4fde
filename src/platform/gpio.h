#pragma once
// The processor's GPIO register block, as 32-bit words. Only the thread that
// owns the front panel's pins uses it.
#include <cstdint>

namespace platform {

// Word offsets in the register page.
enum class GpioRegister : uint32_t {
    FunctionSelect0 = 0,
    FunctionSelect1 = 1,
    FunctionSelect2 = 2,
    OutputSet0 = 7,
    OutputClear0 = 10,
    Level0 = 13,
    PullControl = 37,
    PullClock0 = 38,
};

enum class PinFunction : uint32_t { Input = 0, Output = 1 };

// Values of the pull control register.
inline constexpr uint32_t kPullOff = 0;
inline constexpr uint32_t kPullUp = 2;
// What the BCM283x needs between setting the pull control and clocking it
// into the pins, and between clocking and releasing: without it the pulls
// may not latch.
inline constexpr uint32_t kPullSetupCycles = 150;

class Gpio {
  public:
    Gpio() = default;
    Gpio(const Gpio&) = delete;
    Gpio& operator=(const Gpio&) = delete;
    virtual ~Gpio() = default;

    // Makes the registers reachable. The target maps them from /dev/mem and
    // ends the process when it cannot: nothing of the panel works without them.
    virtual void open() = 0;
    virtual uint32_t read(GpioRegister reg) = 0;
    virtual void write(GpioRegister reg, uint32_t value) = 0;
    // Lets at least this many processor cycles pass, without giving up the processor.
    virtual void waitCycles(uint32_t cycles) = 0;
};

// Pins 0 to 29, through the registers above.
void setPinFunction(Gpio& gpio, int pin, PinFunction function);
void setPin(Gpio& gpio, int pin);
void clearPin(Gpio& gpio, int pin);
[[nodiscard]] int pinLevel(Gpio& gpio, int pin);
// Pull-ups on the pins of mask: control 2, clock the pins, then release
// both, with the set-up time before and after the clock.
void enablePullUps(Gpio& gpio, uint32_t mask);

}  // namespace platform
