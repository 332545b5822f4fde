#include "ui/framebuffer.h"

#include <cstring>
#include <new>

#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace ui {
namespace {

// Bytes per pixel for the device's bits per pixel; 0 for formats not handled.
uint32_t bytesPerPixelOf(uint32_t bitsPerPixel) {
    switch (bitsPerPixel) {
        case 4:
        case 8:
            return 1;
        case 5:
        case 15:
        case 16:
            return 2;
        case 24:
            return 3;
        case 32:
            return 4;
        default:
            return 0;
    }
}

}  // namespace

FrameBuffer* fbInit(core::Works& works) {
    works.platform->system().hideConsoleCursor();

    std::unique_ptr<FrameBuffer> fb(new (std::nothrow) FrameBuffer);
    if (!fb) {
        platform::logError("Unable to allocate framebuffer structure");
        return nullptr;
    }
    // Dropping the device closes it on every failure below.
    fb->device = works.platform->openFramebuffer();
    if (!fb->device->open()) {
        platform::logError("Unable to read framebuffer device: /dev/fb0\n");
        return nullptr;
    }
    platform::ScreenInfo info;
    if (!fb->device->readScreenInfo(info)) {
        platform::logError("Unable to read screen info.\n");
        platform::logError("Do you have read+write privilages to /dev/fb0?\n");
        return nullptr;
    }
    if (!fb->device->resetPanning()) {
        platform::logError("Unable to change screen data\n");
        platform::logError("Do you have write privilages to /dev/fb0?\n");
        platform::logError("Does your video card support double buffering?\n");
        return nullptr;
    }
    fb->bytesPerPixel = bytesPerPixelOf(info.bitsPerPixel);
    if (fb->bytesPerPixel == 0) {
        platform::logError("Unknown pixel format");
        return nullptr;
    }
    platform::logInfo("Pixel size =%d", static_cast<int>(fb->bytesPerPixel));

    fb->width = info.xres;
    fb->height = info.yres;
    fb->size = (info.bitsPerPixel * (info.yres * info.xres)) >> 3;
    fb->screen = fb->device->map(fb->size);
    if (fb->screen == nullptr) {
        platform::logError("Unable to map shared memory\n");
        platform::logError("Make sure, that you have compiled shared memory support into your kernel.\n");
        return nullptr;
    }
    fb->backStore.assign(fb->size, 0);
    fb->backgroundStore.assign(fb->size, 0);
    fb->back = fb->backStore.data();
    fb->background = fb->backgroundStore.data();
    fb->lineLength = fb->bytesPerPixel * fb->width;
    platform::logInfo("Screen Size x: %d, y: %d, Pixel Size %d Line size: %d, Mem size: %d\n",
                      static_cast<int>(fb->width), static_cast<int>(fb->height),
                      static_cast<int>(fb->bytesPerPixel), static_cast<int>(fb->lineLength),
                      static_cast<int>(fb->size));
    return fb.release();
}

void fbRealize(FrameBuffer* fb) {
    fb->device->present(fb->back, fb->size);
}

void fbSetBack(FrameBuffer* fb) {
    std::memcpy(fb->back, fb->background, fb->size);
}

}  // namespace ui
