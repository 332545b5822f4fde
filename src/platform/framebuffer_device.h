#pragma once
// The display's memory: the Linux framebuffer device on the target, a
// virtual 800 x 480 x 32-bit frame in simulation (whose contents the
// simulated screenshot program writes out as a PNG).
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace platform {

struct ScreenInfo {
    uint32_t xres = 0;
    uint32_t yres = 0;
    uint32_t bitsPerPixel = 0;
};

// Pixels [left, right) x [top, bottom) of the screen.
struct ScreenRegion {
    uint32_t left = 0;
    uint32_t top = 0;
    uint32_t right = 0;
    uint32_t bottom = 0;
};

class FramebufferDevice {
  public:
    FramebufferDevice() = default;
    FramebufferDevice(const FramebufferDevice&) = delete;
    FramebufferDevice& operator=(const FramebufferDevice&) = delete;
    virtual ~FramebufferDevice() = default;

    // Each step reports failure with false (errno set on the target).
    virtual bool open() = 0;
    virtual bool readScreenInfo(ScreenInfo& info) = 0;
    // Panning offsets back to 0 (a console may have left them elsewhere).
    virtual bool resetPanning() = 0;
    // Screen memory of size bytes, shared with the display.
    virtual uint8_t* map(uint32_t size) = 0;
    // Shows a whole frame: one block copy of size bytes into the screen
    // memory. The only way anything reaches the screen.
    virtual void present(const uint8_t* frame, uint32_t size) = 0;
    // Shows the parts of a frame of lineLength bytes per row inside the
    // regions (within the screen), a block copy per row of each: the rest
    // of the screen already shows the frame.
    virtual void presentRegions(const uint8_t* frame, uint32_t lineLength, uint32_t bytesPerPixel,
                                std::span<const ScreenRegion> regions) = 0;
};

}  // namespace platform
