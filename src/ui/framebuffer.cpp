#include "ui/framebuffer.h"

#include <cstring>
#include <new>
#include <utility>
#include <vector>

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

namespace {

// Painting in place of the changed parts costs more than the whole frame
// once they cover this share of it.
constexpr int64_t kMostDamagePercent = 50;

void paintWhole(FrameBuffer& fb) {
    std::memcpy(fb.back, fb.background, fb.size);
    for (const DrawOp& op : fb.ops) paintOp(op, fb, nullptr);
}

void restoreBackground(FrameBuffer& fb, const ScreenBox& box) {
    const size_t bytes = size_t(box.right - box.left) * fb.bytesPerPixel;
    for (int32_t y = box.top; y < box.bottom; ++y) {
        const size_t offset = size_t(y) * fb.lineLength + size_t(box.left) * fb.bytesPerPixel;
        std::memcpy(fb.back + offset, fb.background + offset, bytes);
    }
}

// Back holds the frame of shownOps: each box where the new frame differs is
// made again from the background with every operation that reaches into it.
void paintDamage(FrameBuffer& fb, const std::vector<ScreenBox>& boxes) {
    for (const ScreenBox& box : boxes) {
        restoreBackground(fb, box);
        for (const DrawOp& op : fb.ops)
            if (op.box.intersects(box)) paintOp(op, fb, &box);
    }
    std::vector<platform::ScreenRegion> regions;
    regions.reserve(boxes.size());
    for (const ScreenBox& box : boxes)
        regions.push_back({static_cast<uint32_t>(box.left), static_cast<uint32_t>(box.top),
                           static_cast<uint32_t>(box.right), static_cast<uint32_t>(box.bottom)});
    fb.device->presentRegions(fb.back, fb.lineLength, fb.bytesPerPixel, regions);
}

}  // namespace

void fbRealize(FrameBuffer* fb) {
    if (!fb->composing) {
        fb->device->present(fb->back, fb->size);
        fb->shownValid = false;
        return;
    }
    fb->composing = false;
    std::vector<ScreenBox> boxes;
    int64_t damaged = 0;
    if (fb->shownValid) {
        boxes = damageBetween(fb->shownOps, fb->ops);
        for (const ScreenBox& box : boxes) damaged += box.area();
    }
    if (!fb->shownValid || damaged * 100 > int64_t{fb->width} * fb->height * kMostDamagePercent) {
        paintWhole(*fb);
        fb->device->present(fb->back, fb->size);
    } else if (!boxes.empty()) {
        paintDamage(*fb, boxes);
    }
    std::swap(fb->shownOps, fb->ops);
    fb->ops.clear();
    fb->shownValid = true;
}

void fbSetBack(FrameBuffer* fb) {
    fb->ops.clear();
    fb->composing = true;
}

void drawOrRecord(FrameBuffer& fb, DrawOp&& op) {
    if (fb.composing) {
        fb.ops.push_back(std::move(op));
        return;
    }
    paintOp(op, fb, nullptr);
    fb.shownValid = false;
}

void fbDrawPending(FrameBuffer* fb) {
    if (!fb->composing) return;
    paintWhole(*fb);
    fb->ops.clear();
    fb->composing = false;
    fb->shownValid = false;
}

}  // namespace ui
