#include "platform/gpio.h"

namespace platform {

void setPinFunction(Gpio& gpio, int pin, PinFunction function) {
    const auto reg =
        static_cast<GpioRegister>(static_cast<uint32_t>(GpioRegister::FunctionSelect0) + pin / 10);
    const int shift = (pin % 10) * 3;
    uint32_t value = gpio.read(reg) & ~(7u << shift);
    gpio.write(reg, value | (static_cast<uint32_t>(function) << shift));
}

void setPin(Gpio& gpio, int pin) {
    gpio.write(GpioRegister::OutputSet0, 1u << pin);
}

void clearPin(Gpio& gpio, int pin) {
    gpio.write(GpioRegister::OutputClear0, 1u << pin);
}

int pinLevel(Gpio& gpio, int pin) {
    return (gpio.read(GpioRegister::Level0) >> pin) & 1u;
}

void enablePullUps(Gpio& gpio, uint32_t mask) {
    gpio.write(GpioRegister::PullControl, kPullUp);
    gpio.waitCycles(kPullSetupCycles);
    gpio.write(GpioRegister::PullClock0, mask);
    gpio.waitCycles(kPullSetupCycles);
    gpio.write(GpioRegister::PullControl, kPullOff);
    gpio.write(GpioRegister::PullClock0, 0);
}

}  // namespace platform
