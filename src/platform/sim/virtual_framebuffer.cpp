#include "platform/sim/virtual_framebuffer.h"

#include <chrono>
#include <cstring>

#include "platform/sim/sim_system.h"

namespace platform {

VirtualFramebuffer::VirtualFramebuffer(SimSystem& system) : system_(system) {}

VirtualFramebuffer::~VirtualFramebuffer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    // Observers waiting for a frame give up at once; then the system waits
    // for the calls in progress, so that it never calls into a display that is gone.
    newFrame_.notify_all();
    system_.setScreenshotWriter(nullptr);
    system_.setFrameWriter(nullptr);
}

bool VirtualFramebuffer::open() {
    system_.setScreenshotWriter([this](const std::string& path) { return writeScreenshot(path); });
    system_.setFrameWriter([this](const std::string& path, uint64_t known, std::chrono::milliseconds wait) {
        return writeFrameUnlessShown(path, known, wait);
    });
    return true;
}

bool VirtualFramebuffer::readScreenInfo(ScreenInfo& info) {
    info.xres = kWidth;
    info.yres = kHeight;
    info.bitsPerPixel = 32;
    return true;
}

uint8_t* VirtualFramebuffer::map(uint32_t size) {
    if (size != kWidth * kHeight * 4) return nullptr;
    std::lock_guard lock(mutex_);
    memory_.assign(size, 0);
    return memory_.data();
}

void VirtualFramebuffer::present(const uint8_t* frame, uint32_t size) {
    std::lock_guard lock(mutex_);
    const bool changed = !shown_ || std::memcmp(memory_.data(), frame, size) != 0;
    if (changed) ++frameNumber_;
    std::memcpy(memory_.data(), frame, size);
    shown_ = true;
    if (changed) newFrame_.notify_all();
}

void VirtualFramebuffer::presentRegions(const uint8_t* frame, uint32_t lineLength, uint32_t bytesPerPixel,
                                        std::span<const ScreenRegion> regions) {
    std::lock_guard lock(mutex_);
    bool changed = !shown_;
    for (const ScreenRegion& region : regions)
        for (uint32_t y = region.top; y < region.bottom; ++y) {
            const size_t offset = size_t{y} * lineLength + size_t{region.left} * bytesPerPixel;
            const size_t bytes = size_t{region.right - region.left} * bytesPerPixel;
            if (!changed && std::memcmp(memory_.data() + offset, frame + offset, bytes) != 0) changed = true;
            std::memcpy(memory_.data() + offset, frame + offset, bytes);
        }
    shown_ = true;
    if (!changed) return;
    ++frameNumber_;
    newFrame_.notify_all();
}

bool VirtualFramebuffer::writeScreenshot(const std::string& path) {
    PngPicture picture;
    {
        std::lock_guard lock(mutex_);
        if (memory_.empty()) return false;
        picture = pictureLocked();
    }
    return savePng(path, picture);
}

std::optional<uint64_t> VirtualFramebuffer::writeFrameUnlessShown(const std::string& path, uint64_t known,
                                                                  std::chrono::milliseconds wait) {
    PngPicture picture;
    uint64_t number = 0;
    {
        std::unique_lock lock(mutex_);
        // Real time, not the station's clock: the observer's own patience.
        newFrame_.wait_for(lock, wait, [&] { return stopping_ || (shown_ && frameNumber_ != known); });
        number = frameNumber_;
        if (number == known || !shown_) return number;
        picture = pictureLocked();
    }
    if (!savePng(path, picture)) return std::nullopt;
    return number;
}

PngPicture VirtualFramebuffer::pictureLocked() const {
    PngPicture picture;
    picture.width = kWidth;
    picture.height = kHeight;
    picture.channels = 3;
    picture.samples.resize(size_t{kWidth} * kHeight * 3);
    uint8_t* out = picture.samples.data();
    for (size_t pixel = 0; pixel < size_t{kWidth} * kHeight; ++pixel, out += 3) {
        const uint8_t* in = memory_.data() + pixel * 4;
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
    }
    return picture;
}

}  // namespace platform
