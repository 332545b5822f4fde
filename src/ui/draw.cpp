// Lines and rectangles, written straight into a store as encoded bytes.
#include <cstdint>
#include <cstdlib>

#include "core/works.h"
#include "ui/framebuffer.h"

namespace ui {
namespace {

// One pixel as it lies in memory; count 0 for formats the primitives leave alone.
struct Pixel {
    uint8_t bytes[4];
    uint32_t count;
};

Pixel encode(int r, int g, int b, uint32_t bytesPerPixel) {
    auto red = static_cast<uint8_t>(r), green = static_cast<uint8_t>(g), blue = static_cast<uint8_t>(b);
    if (bytesPerPixel == 4) return {{blue, green, red, 0}, 4};
    if (bytesPerPixel == 2)
        return {{static_cast<uint8_t>(((green & 0x1C) << 3) | (blue >> 3)),
                 static_cast<uint8_t>((red & 0xF8) | (green >> 5)), 0, 0},
                2};
    return {{}, 0};
}

inline void put(uint8_t* at, const Pixel& pixel) {
    at[0] = pixel.bytes[0];
    at[1] = pixel.bytes[1];
    if (pixel.count == 4) {
        at[2] = pixel.bytes[2];
        at[3] = pixel.bytes[3];
    }
}

uint8_t* storeOf(FrameBuffer* fb, int toBackground) {
    return toBackground != 0 ? fb->background : fb->back;
}

}  // namespace

void DrawHorizontalLine(int x0, int y, int x1, int r, int g, int b, FrameBuffer* fb, int toBackground) {
    Pixel pixel = encode(r, g, b, fb->bytesPerPixel);
    if (pixel.count == 0) return;
    uint8_t* store = storeOf(fb, toBackground);
    const int64_t row = int64_t{y} * fb->lineLength;
    const int64_t last = int64_t{fb->size} - pixel.count;
    // Coordinates off the screen must never write outside the store.
    for (int64_t x = x0; x < x1; ++x) {
        int64_t offset = row + x * pixel.count;
        if (offset >= 0 && offset <= last) put(store + offset, pixel);
    }
}

void DrawLine(int x0, int y0, int x1, int y1, int r, int g, int b, FrameBuffer* fb, int toBackground) {
    if (x0 == x1 && y0 == y1) return;
    Pixel pixel = encode(r, g, b, fb->bytesPerPixel);
    if (pixel.count == 0) return;
    uint8_t* store = storeOf(fb, toBackground);
    // The bound excludes the frame's very last pixel, as the panel always had it.
    const int64_t limit = int64_t{fb->size} - pixel.count;
    const int64_t dx = std::llabs(int64_t{x1} - x0), dy = std::llabs(int64_t{y1} - y0);
    const int64_t sx = x1 > x0 ? 1 : -1, sy = y1 > y0 ? 1 : -1;
    int64_t x = x0, y = y0;
    auto plot = [&] {
        int64_t offset = y * fb->lineLength + x * pixel.count;
        if (offset >= 0 && offset < limit) put(store + offset, pixel);
    };
    if (dy > dx) {
        int64_t e = 2 * dx - dy;
        for (int64_t i = 0; i <= dy; ++i) {
            plot();
            while (e >= 0) {
                x += sx;
                e -= 2 * dy;
            }
            y += sy;
            e += 2 * dx;
        }
    } else {
        int64_t e = 2 * dy - dx;
        for (int64_t i = 0; i <= dx; ++i) {
            plot();
            while (e >= 0) {
                y += sy;
                e -= 2 * dx;
            }
            x += sx;
            e += 2 * dy;
        }
    }
}

void DrawRect(core::Works& works, int x0, int y0, int x1, int y1, int r, int g, int b) {
    DrawLine(x0, y0, x0, y1, r, g, b, works.fb, 0);
    DrawLine(x1, y0, x1, y1, r, g, b, works.fb, 0);
    DrawHorizontalLine(x0, y0, x1, r, g, b, works.fb, 0);
    DrawHorizontalLine(x0, y1, x1, r, g, b, works.fb, 0);
}

void FillRect(FrameBuffer* fb, int x0, int y0, int x1, int y1, int r, int g, int b) {
    for (int y = y0; y <= y1; ++y) DrawHorizontalLine(x0, y, x1 + 1, r, g, b, fb, 0);
}

}  // namespace ui
