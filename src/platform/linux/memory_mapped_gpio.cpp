#include "platform/linux/memory_mapped_gpio.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/log.h"

namespace platform {
namespace {

constexpr off_t kGpioBase = 0x3F200000;
constexpr size_t kPageSize = 4096;

}  // namespace

MemoryMappedGpio::~MemoryMappedGpio() {
    if (registers_ != nullptr) munmap(const_cast<uint32_t*>(registers_), kPageSize);
}

void MemoryMappedGpio::open() {
    if (registers_ != nullptr) return;
    int fd = ::open(memoryDevice_.c_str(), O_RDWR | O_SYNC);
    if (fd < 0) {
        logError("can't open /dev/mem");
        std::exit(8);
    }
    void* page = mmap(nullptr, kPageSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, kGpioBase);
    close(fd);
    if (page == MAP_FAILED) {
        logError("mmap error %d\n", errno);
        std::exit(-1);
    }
    registers_ = static_cast<volatile uint32_t*>(page);
}

uint32_t MemoryMappedGpio::read(GpioRegister reg) {
    return registers_[static_cast<uint32_t>(reg)];
}

void MemoryMappedGpio::write(GpioRegister reg, uint32_t value) {
    registers_[static_cast<uint32_t>(reg)] = value;
}

void MemoryMappedGpio::waitCycles(uint32_t cycles) {
    // Each pass takes at least a cycle; the empty statement keeps the compiler from removing the loop.
    for (uint32_t cycle = 0; cycle < cycles; ++cycle) asm volatile("" ::: "memory");
}

}  // namespace platform
