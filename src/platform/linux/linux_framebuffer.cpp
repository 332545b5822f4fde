#include "platform/linux/linux_framebuffer.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace platform {

LinuxFramebuffer::~LinuxFramebuffer() {
    if (memory_ != nullptr) ::munmap(memory_, mappedSize_);
    if (fd_ >= 0) ::close(fd_);
}

bool LinuxFramebuffer::open() {
    fd_ = ::open(path_.c_str(), O_RDWR);
    return fd_ >= 0;
}

bool LinuxFramebuffer::readScreenInfo(ScreenInfo& info) {
    if (::ioctl(fd_, FBIOGET_VSCREENINFO, &variable_) != 0) return false;
    info.xres = variable_.xres;
    info.yres = variable_.yres;
    info.bitsPerPixel = variable_.bits_per_pixel;
    return true;
}

bool LinuxFramebuffer::resetPanning() {
    variable_.xoffset = 0;
    variable_.yoffset = 0;
    return ::ioctl(fd_, FBIOPUT_VSCREENINFO, &variable_) == 0;
}

uint8_t* LinuxFramebuffer::map(uint32_t size) {
    void* memory = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (memory == MAP_FAILED) return nullptr;
    memory_ = static_cast<uint8_t*>(memory);
    mappedSize_ = size;
    return memory_;
}

void LinuxFramebuffer::present(const uint8_t* frame, uint32_t size) {
    std::memcpy(memory_, frame, size);
}

void LinuxFramebuffer::presentRegions(const uint8_t* frame, uint32_t lineLength, uint32_t bytesPerPixel,
                                      std::span<const ScreenRegion> regions) {
    for (const ScreenRegion& region : regions)
        for (uint32_t y = region.top; y < region.bottom; ++y) {
            const size_t offset = size_t{y} * lineLength + size_t{region.left} * bytesPerPixel;
            std::memcpy(memory_ + offset, frame + offset, size_t{region.right - region.left} * bytesPerPixel);
        }
}

}  // namespace platform
