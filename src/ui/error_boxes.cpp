#include "ui/error_boxes.h"

#include <algorithm>
#include <array>

#include "core/works.h"
#include "ui/framebuffer.h"
#include "ui/text.h"

namespace ui {
namespace {

struct Span {
    int x0, x1;
};
constexpr std::array<Span, 6> kBoxes{{{5, 130}, {133, 263}, {266, 396}, {399, 529}, {532, 662}, {665, 795}}};
constexpr int kTop = 370, kBottom = 415;
constexpr int kTextSlot = 10;

void DrawTastoErrore(core::Works& works, const core::ErrorDescriptor& error, Span box) {
    FrameBuffer* fb = works.fb;
    const bool alarm = (error.flags & core::kErrorAlarm) != 0;
    const int r = alarm ? 255 : 250, g = alarm ? 30 : 150;
    for (int y = kTop; y < kBottom; ++y) DrawHorizontalLine(box.x0, y, box.x1, r, g, 0, fb, 0);
    DrawLine(box.x0, kTop, box.x0, kBottom, 255, 255, 255, fb, 0);
    DrawLine(box.x1, kTop, box.x1, kBottom, 255, 255, 255, fb, 0);
    DrawHorizontalLine(box.x0, kTop, box.x1, 255, 255, 255, fb, 0);
    DrawHorizontalLine(box.x0, kBottom, box.x1, 255, 255, 255, fb, 0);
    putString(kTextSlot, box.x0 + 4, 390, error.line1, 250, 250, 250, fb);
    putString(kTextSlot, box.x0 + 4, 410, error.line2, 250, 250, 250, fb);
}

}  // namespace

void DrawError(core::Works& works) {
    if (works.pageFlags != 0) return;
    const std::vector<int32_t> codes = works.errors.codes();
    const size_t shown = std::min(codes.size(), kBoxes.size());
    // The oldest of the shown codes takes the right-most box, each newer one
    // the box to its left.
    for (size_t k = 0; k < shown; ++k) {
        const int32_t code = codes[codes.size() - shown + k];
        DrawTastoErrore(works, works.errors.descriptor(code), kBoxes[kBoxes.size() - 1 - k]);
    }
}

}  // namespace ui
