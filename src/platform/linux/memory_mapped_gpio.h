#pragma once
// The BCM283x GPIO registers, one page mapped from /dev/mem.
#include <string>

#include "platform/gpio.h"

namespace platform {

class MemoryMappedGpio final : public Gpio {
  public:
    // memoryDevice: /dev/mem under the run root.
    explicit MemoryMappedGpio(std::string memoryDevice) : memoryDevice_(std::move(memoryDevice)) {}
    ~MemoryMappedGpio() override;

    // Ends the process with status 8 when the device cannot be opened, -1
    // when the page cannot be mapped.
    void open() override;
    uint32_t read(GpioRegister reg) override;
    void write(GpioRegister reg, uint32_t value) override;
    void waitCycles(uint32_t cycles) override;

  private:
    std::string memoryDevice_;
    volatile uint32_t* registers_ = nullptr;
};

}  // namespace platform
