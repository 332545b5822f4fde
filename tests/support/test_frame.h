#pragma once
// Frames of any geometry in memory, for drawing and image tests that need no
// display (fbRealize is not available on them).
#include <cstdint>
#include <memory>

#include "ui/framebuffer.h"

namespace testing_support {

inline std::unique_ptr<ui::FrameBuffer> makeFrame(uint32_t width, uint32_t height, uint32_t bytesPerPixel,
                                                  uint8_t fill = 0) {
    auto fb = std::make_unique<ui::FrameBuffer>();
    fb->width = width;
    fb->height = height;
    fb->bytesPerPixel = bytesPerPixel;
    fb->lineLength = width * bytesPerPixel;
    fb->size = fb->lineLength * height;
    fb->backStore.assign(fb->size, fill);
    fb->backgroundStore.assign(fb->size, fill);
    fb->back = fb->backStore.data();
    fb->background = fb->backgroundStore.data();
    return fb;
}

// The colour of a pixel of the back store of a 4-byte frame.
struct Pixel {
    int r, g, b;
    bool operator==(const Pixel&) const = default;
};

inline Pixel pixelAt(const ui::FrameBuffer& fb, int x, int y) {
    const uint8_t* p = fb.back + y * fb.lineLength + x * fb.bytesPerPixel;
    return {p[2], p[1], p[0]};
}

}  // namespace testing_support
