#include "platform/sim/sim_gpio.h"

namespace platform {
namespace {

constexpr int kPins = 30;

}  // namespace

bool SimGpio::isOutputLocked(int pin) const {
    return ((functionSelect_[pin / 10] >> ((pin % 10) * 3)) & 7u) ==
           static_cast<uint32_t>(PinFunction::Output);
}

uint32_t SimGpio::read(GpioRegister reg) {
    std::lock_guard lock(mutex_);
    switch (reg) {
        case GpioRegister::FunctionSelect0:
        case GpioRegister::FunctionSelect1:
        case GpioRegister::FunctionSelect2:
            return functionSelect_[static_cast<uint32_t>(reg)];
        case GpioRegister::PullControl:
            return pullControl_;
        case GpioRegister::Level0: {
            ++levelReads_;
            levelRead_.notify_all();
            uint32_t levels = 0;
            for (int pin = 0; pin < kPins; ++pin) {
                const uint32_t bit = 1u << pin;
                uint32_t level = isOutputLocked(pin)    ? latch_ & bit
                                 : (driven_ & bit) != 0 ? drivenLevels_ & bit
                                                        : pullUps_ & bit;
                levels |= level;
            }
            return levels;
        }
        default:
            return 0;
    }
}

bool SimGpio::awaitLevelReads(uint64_t count, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    const uint64_t target = levelReads_ + count;
    return levelRead_.wait_for(lock, limit, [&] { return levelReads_ >= target; });
}

void SimGpio::write(GpioRegister reg, uint32_t value) {
    {
        std::lock_guard lock(mutex_);
        switch (reg) {
            case GpioRegister::FunctionSelect0:
            case GpioRegister::FunctionSelect1:
            case GpioRegister::FunctionSelect2:
                functionSelect_[static_cast<uint32_t>(reg)] = value;
                break;
            case GpioRegister::OutputSet0:
                latch_ |= value;
                break;
            case GpioRegister::OutputClear0:
                latch_ &= ~value;
                break;
            case GpioRegister::PullControl:
                pullControl_ = value;
                cyclesSinceControl_ = 0;
                break;
            case GpioRegister::PullClock0:
                if (value != 0) {
                    pullClocked_ = value;
                    clockedControl_ = pullControl_;
                    controlSetUp_ = cyclesSinceControl_ >= kPullSetupCycles;
                    cyclesSinceClock_ = 0;
                    break;
                }
                if (controlSetUp_ && cyclesSinceClock_ >= kPullSetupCycles) {
                    if (clockedControl_ == kPullUp) pullUps_ |= pullClocked_;
                    if (clockedControl_ == kPullOff) pullUps_ &= ~pullClocked_;
                }
                pullClocked_ = 0;
                break;
            default:
                break;
        }
    }
    if (listener_) listener_();
}

void SimGpio::waitCycles(uint32_t cycles) {
    std::lock_guard lock(mutex_);
    cyclesSinceControl_ += cycles;
    cyclesSinceClock_ += cycles;
}

void SimGpio::drive(int pin, std::optional<int> level) {
    std::lock_guard lock(mutex_);
    const uint32_t bit = 1u << pin;
    driven_ = level ? driven_ | bit : driven_ & ~bit;
    drivenLevels_ = level.value_or(0) != 0 ? drivenLevels_ | bit : drivenLevels_ & ~bit;
}

int SimGpio::output(int pin) const {
    std::lock_guard lock(mutex_);
    return (latch_ >> pin) & 1u;
}

bool SimGpio::isOutput(int pin) const {
    std::lock_guard lock(mutex_);
    return isOutputLocked(pin);
}

}  // namespace platform
