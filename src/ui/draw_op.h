#pragma once
// A frame as the list of drawing operations that made it. The main loop
// records each tick's list and paints only where it differs from the list
// of the frame on the screen, instead of recomposing the whole screen.
#include <cstdint>
#include <string>
#include <vector>

namespace ui {

struct FrameBuffer;

// Pixels [left, right) x [top, bottom) of the screen.
struct ScreenBox {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    [[nodiscard]] bool empty() const { return left >= right || top >= bottom; }
    [[nodiscard]] bool contains(int64_t x, int64_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    [[nodiscard]] bool intersects(const ScreenBox& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    [[nodiscard]] int64_t area() const { return empty() ? 0 : int64_t{right - left} * (bottom - top); }
    friend bool operator==(const ScreenBox&, const ScreenBox&) = default;
};

[[nodiscard]] ScreenBox unite(const ScreenBox& a, const ScreenBox& b);

// The box on the screen of what a primitive writes when it covers columns
// x0..x1 and rows y0..y1 (inclusive, possibly off the screen). Primitives
// address pixels by byte offset, so columns off the screen land on the
// neighbouring rows: those rows count whole.
[[nodiscard]] ScreenBox boxOfPixels(int64_t x0, int64_t y0, int64_t x1, int64_t y1, const FrameBuffer& fb);

// Whether a primitive's pixel at column x, row y (possibly off the screen)
// lands inside clip; no clip allows every pixel.
[[nodiscard]] bool clipAllows(const ScreenBox* clip, int64_t x, int64_t y, const FrameBuffer& fb);

struct DrawOp {
    enum class Kind : uint8_t { Line, HorizontalLine, Fill, Text };
    Kind kind = Kind::Line;
    // Line: both ends; HorizontalLine: x0..x1 (x1 excluded) on row y0;
    // Fill: both corners included; Text: baseline start (x0, y0) in font slot.
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    int r = 0, g = 0, b = 0;
    int slot = 0;
    std::string text;
    ScreenBox box;  // every pixel the operation may write
    friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

// Paints op into the back store, only its pixels inside clip when given.
void paintOp(const DrawOp& op, FrameBuffer& fb, const ScreenBox* clip);

// Where the frame of next differs from the frame of shown, both drawn over
// the same background: the boxes of the operations that are not the same at
// the same place in both lists, merged until no two boxes overlap.
[[nodiscard]] std::vector<ScreenBox> damageBetween(const std::vector<DrawOp>& shown,
                                                   const std::vector<DrawOp>& next);

}  // namespace ui
