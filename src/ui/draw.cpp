// Lines and rectangles, written straight into a store as encoded bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "core/works.h"
#include "ui/framebuffer.h"
#include "ui/text.h"

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

void paintHorizontalLine(int x0, int y, int x1, const Pixel& pixel, uint8_t* store, const FrameBuffer& fb,
                         const ScreenBox* clip) {
    const int64_t row = int64_t{y} * fb.lineLength;
    const int64_t last = int64_t{fb.size} - pixel.count;
    int64_t from = x0, to = x1;
    // On the screen's own columns the clip is a plain range.
    if (clip != nullptr && x0 >= 0 && x1 <= static_cast<int64_t>(fb.width)) {
        if (y < clip->top || y >= clip->bottom) return;
        from = std::max<int64_t>(from, clip->left);
        to = std::min<int64_t>(to, clip->right);
        clip = nullptr;
    }
    // Coordinates off the screen must never write outside the store.
    for (int64_t x = from; x < to; ++x) {
        const int64_t offset = row + x * pixel.count;
        if (offset >= 0 && offset <= last && clipAllows(clip, x, y, fb)) put(store + offset, pixel);
    }
}

void paintLine(int x0, int y0, int x1, int y1, const Pixel& pixel, uint8_t* store, const FrameBuffer& fb,
               const ScreenBox* clip) {
    if (x0 == x1 && y0 == y1) return;
    // The bound excludes the frame's very last pixel, as the panel always had it.
    const int64_t limit = int64_t{fb.size} - pixel.count;
    const int64_t dx = std::llabs(int64_t{x1} - x0), dy = std::llabs(int64_t{y1} - y0);
    const int64_t sx = x1 > x0 ? 1 : -1, sy = y1 > y0 ? 1 : -1;
    int64_t x = x0, y = y0;
    auto plot = [&] {
        const int64_t offset = y * fb.lineLength + x * pixel.count;
        if (offset >= 0 && offset < limit && clipAllows(clip, x, y, fb)) put(store + offset, pixel);
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

DrawOp shapeOp(DrawOp::Kind kind, int x0, int y0, int x1, int y1, int r, int g, int b,
               const FrameBuffer& fb) {
    DrawOp op;
    op.kind = kind;
    op.x0 = x0;
    op.y0 = y0;
    op.x1 = x1;
    op.y1 = y1;
    op.r = r;
    op.g = g;
    op.b = b;
    switch (kind) {
        case DrawOp::Kind::HorizontalLine:
            op.box = boxOfPixels(x0, y0, int64_t{x1} - 1, y0, fb);
            break;
        case DrawOp::Kind::Fill:
            op.box = boxOfPixels(x0, y0, x1, y1, fb);
            break;
        default:
            op.box = boxOfPixels(std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1), fb);
            break;
    }
    return op;
}

// Into the background at once (the next frame is then painted whole), into
// back through the frame's record.
void drawShape(DrawOp&& op, FrameBuffer* fb, int toBackground) {
    if (toBackground == 0) {
        drawOrRecord(*fb, std::move(op));
        return;
    }
    const Pixel pixel = encode(op.r, op.g, op.b, fb->bytesPerPixel);
    if (pixel.count == 0) return;
    fb->shownValid = false;
    if (op.kind == DrawOp::Kind::Line)
        paintLine(op.x0, op.y0, op.x1, op.y1, pixel, fb->background, *fb, nullptr);
    else
        paintHorizontalLine(op.x0, op.y0, op.x1, pixel, fb->background, *fb, nullptr);
}

}  // namespace

void paintOp(const DrawOp& op, FrameBuffer& fb, const ScreenBox* clip) {
    if (op.kind == DrawOp::Kind::Text) {
        paintText(op, fb, clip);
        return;
    }
    const Pixel pixel = encode(op.r, op.g, op.b, fb.bytesPerPixel);
    if (pixel.count == 0) return;
    switch (op.kind) {
        case DrawOp::Kind::Line:
            paintLine(op.x0, op.y0, op.x1, op.y1, pixel, fb.back, fb, clip);
            break;
        case DrawOp::Kind::HorizontalLine:
            paintHorizontalLine(op.x0, op.y0, op.x1, pixel, fb.back, fb, clip);
            break;
        case DrawOp::Kind::Fill:
            for (int y = op.y0; y <= op.y1; ++y)
                paintHorizontalLine(op.x0, y, op.x1 + 1, pixel, fb.back, fb, clip);
            break;
        case DrawOp::Kind::Text:
            break;
    }
}

void DrawHorizontalLine(int x0, int y, int x1, int r, int g, int b, FrameBuffer* fb, int toBackground) {
    drawShape(shapeOp(DrawOp::Kind::HorizontalLine, x0, y, x1, y, r, g, b, *fb), fb, toBackground);
}

void DrawLine(int x0, int y0, int x1, int y1, int r, int g, int b, FrameBuffer* fb, int toBackground) {
    if (x0 == x1 && y0 == y1) return;
    drawShape(shapeOp(DrawOp::Kind::Line, x0, y0, x1, y1, r, g, b, *fb), fb, toBackground);
}

void DrawRect(core::Works& works, int x0, int y0, int x1, int y1, int r, int g, int b) {
    DrawLine(x0, y0, x0, y1, r, g, b, works.fb, 0);
    DrawLine(x1, y0, x1, y1, r, g, b, works.fb, 0);
    DrawHorizontalLine(x0, y0, x1, r, g, b, works.fb, 0);
    DrawHorizontalLine(x0, y1, x1, r, g, b, works.fb, 0);
}

void FillRect(FrameBuffer* fb, int x0, int y0, int x1, int y1, int r, int g, int b) {
    if (y1 < y0) return;
    drawOrRecord(*fb, shapeOp(DrawOp::Kind::Fill, x0, y0, x1, y1, r, g, b, *fb));
}

}  // namespace ui
