#include "ui/draw_op.h"

#include <algorithm>

#include "ui/framebuffer.h"

namespace ui {
namespace {

// More changed operations than this (a spectrum trace) are taken as one
// box: merging them pairwise would cost more than painting.
constexpr size_t kMostBoxes = 64;

int32_t clampTo(int64_t value, int64_t low, int64_t high) {
    return static_cast<int32_t>(std::clamp(value, low, high));
}

int64_t floorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

void add(std::vector<ScreenBox>& boxes, const ScreenBox& box) {
    if (!box.empty()) boxes.push_back(box);
}

// Unites overlapping boxes until none overlap: painting a pixel twice is
// harmless but wasted.
void merge(std::vector<ScreenBox>& boxes) {
    for (bool merged = true; merged;) {
        merged = false;
        for (size_t i = 0; i < boxes.size() && !merged; ++i)
            for (size_t j = i + 1; j < boxes.size(); ++j)
                if (boxes[i].intersects(boxes[j])) {
                    boxes[i] = unite(boxes[i], boxes[j]);
                    boxes.erase(boxes.begin() + static_cast<std::ptrdiff_t>(j));
                    merged = true;
                    break;
                }
    }
}

}  // namespace

ScreenBox unite(const ScreenBox& a, const ScreenBox& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

ScreenBox boxOfPixels(int64_t x0, int64_t y0, int64_t x1, int64_t y1, const FrameBuffer& fb) {
    const int64_t width = fb.width, height = fb.height;
    if (width == 0 || fb.lineLength == 0 || x1 < x0 || y1 < y0) return {};
    if (x0 >= 0 && x1 < width)
        return {clampTo(x0, 0, width), clampTo(y0, 0, height), clampTo(x1 + 1, 0, width),
                clampTo(y1 + 1, 0, height)};
    const int64_t line = fb.lineLength, pixel = fb.bytesPerPixel;
    const int64_t firstRow = floorDiv(y0 * line + x0 * pixel, line);
    const int64_t lastRow = floorDiv(y1 * line + x1 * pixel + pixel - 1, line);
    return {0, clampTo(firstRow, 0, height), static_cast<int32_t>(width), clampTo(lastRow + 1, 0, height)};
}

bool clipAllows(const ScreenBox* clip, int64_t x, int64_t y, const FrameBuffer& fb) {
    if (clip == nullptr) return true;
    if (x >= 0 && x < int64_t{fb.width}) return clip->contains(x, y);
    const int64_t offset = y * int64_t{fb.lineLength} + x * int64_t{fb.bytesPerPixel};
    if (offset < 0) return false;
    return clip->contains(offset % fb.lineLength / fb.bytesPerPixel, offset / fb.lineLength);
}

std::vector<ScreenBox> damageBetween(const std::vector<DrawOp>& shown, const std::vector<DrawOp>& next) {
    std::vector<ScreenBox> boxes;
    const size_t count = std::max(shown.size(), next.size());
    for (size_t i = 0; i < count; ++i) {
        if (i < shown.size() && i < next.size() && shown[i] == next[i]) continue;
        if (i < shown.size()) add(boxes, shown[i].box);
        if (i < next.size()) add(boxes, next[i].box);
    }
    if (boxes.size() > kMostBoxes) {
        ScreenBox all;
        for (const ScreenBox& box : boxes) all = unite(all, box);
        return {all};
    }
    merge(boxes);
    return boxes;
}

}  // namespace ui
