#pragma once
// The GPIO register block in memory: function select, output latch, pulls
// and levels of pins 0 to 29. An input pin reads the level something outside
// drives on it (a key, the front panel's controller), else its pull.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/gpio.h"

namespace platform {

class SimGpio final : public Gpio {
  public:
    void open() override {}
    uint32_t read(GpioRegister reg) override;
    void write(GpioRegister reg, uint32_t value) override;
    // Counts the cycles toward the pulls' set-up time, as the processor's block would see them.
    void waitCycles(uint32_t cycles) override;

    // Drives an input pin from outside, or stops driving it (nothing).
    void drive(int pin, std::optional<int> level);
    // The level the block puts out on an output pin (its latch).
    [[nodiscard]] int output(int pin) const;
    [[nodiscard]] bool isOutput(int pin) const;
    // Called after every register write, outside the block's lock, so that a
    // device on the pins can follow them.
    void onWrite(std::function<void()> listener) { listener_ = std::move(listener); }
    // Waits, at most limit of real time, until the level register has been
    // read count more times: whoever polls the pins has seen what they show now.
    bool awaitLevelReads(uint64_t count, std::chrono::milliseconds limit);

  private:
    [[nodiscard]] bool isOutputLocked(int pin) const;

    mutable std::mutex mutex_;
    uint32_t functionSelect_[3]{};
    uint32_t latch_ = 0;
    uint32_t pullControl_ = kPullOff;
    uint32_t pullUps_ = 0;
    // The pull clock: which pins it holds, the control it took, and whether
    // the control had been set up long enough; pulls latch when it is released.
    uint32_t pullClocked_ = 0;
    uint32_t clockedControl_ = kPullOff;
    bool controlSetUp_ = false;
    uint64_t cyclesSinceControl_ = 0, cyclesSinceClock_ = 0;
    uint32_t driven_ = 0, drivenLevels_ = 0;
    std::function<void()> listener_;
    uint64_t levelReads_ = 0;
    std::condition_variable levelRead_;
};

}  // namespace platform
