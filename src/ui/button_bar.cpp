#include "ui/button_bar.h"

#include <array>

#include "core/errors.h"
#include "core/status_bits.h"
#include "core/works.h"
#include "ui/button_labels.h"
#include "ui/error_boxes.h"
#include "ui/framebuffer.h"
#include "ui/settings_menu.h"
#include "ui/text.h"

namespace ui {
namespace {

constexpr int kTop = 420, kBottom = 479;
constexpr std::array<int, kButtons> kLeft{0, 133, 266, 399, 532, 665};
// Each button's filled columns; the last ends four columns short of its edge.
constexpr std::array<int, kButtons> kRight{129, 262, 395, 528, 661, 794};
constexpr std::array<int, kButtons> kRightEdge{130, 263, 396, 529, 662, 799};
constexpr int kLine1Y = 445, kLine2Y = 472;

struct LabelX {
    int line1, line2;
};
constexpr std::array<LabelX, kButtons> kLabelX{
    {{20, 25}, {143, 153}, {276, 286}, {409, 419}, {542, 552}, {675, 695}}};

// Where each button's two lines start in this state.
std::array<LabelX, kButtons> labelPositions(core::Works& works) {
    std::array<LabelX, kButtons> x = kLabelX;
    const int32_t state = works.screenState;
    if (state == screen::MenuEdit && !selectedMenuItem(works).address) {
        x[1] = {143, 143};
        x[2] = {286, 286};
    } else if (state == screen::MenuList && !selectedMenuItem(works).editable) {
        x[5] = {685, 715};
    } else if ((state == screen::Main || state == screen::TuneMenu) && core::VerifyError(works)) {
        x[5] = {690, 695};
    }
    return x;
}

void drawBar(FrameBuffer* fb, uint8_t flags) {
    for (int button = 0; button < kButtons; ++button)
        FillRect(fb, kLeft[button], kTop, kRight[button], kBottom, 40, 40, 40);
    if ((flags & longPressMark::Button1) != 0) FillRect(fb, 2, 478, 127, 479, 250, 150, 0);
    if ((flags & longPressMark::Button6) != 0) FillRect(fb, 667, 478, 792, 479, 250, 150, 0);
    for (int button = 0; button < kButtons; ++button) {
        DrawHorizontalLine(kLeft[button], kTop, kRightEdge[button] + 1, 120, 120, 120, fb, 0);
        DrawLine(kRightEdge[button], kTop, kRightEdge[button], kBottom + 1, 120, 120, 120, fb, 0);
    }
}

}  // namespace

void LoadButtons(core::Works& works, const core::QorParams& transceiver) {
    FrameBuffer* fb = works.fb;
    if (fb == nullptr) return;
    const ButtonRow labels = currentButtonLabels(works);
    drawBar(fb, labels.flags);
    const std::array<LabelX, kButtons> x = labelPositions(works);
    for (int button = 0; button < kButtons; ++button) {
        putString(0, x[button].line1, kLine1Y, labels.text[2 * button].c_str(), 250, 150, 0, fb);
        putString(1, x[button].line2, kLine2Y, labels.text[2 * button + 1].c_str(), 250, 150, 0, fb);
    }
    DrawParameters(works);
    DrawError(works);
    works.services->viewStatusInfo(works, transceiver);
    ViewStatusTX(works);
}

void ViewStatusTX(core::Works& works) {
    if (works.mainWindow >= 4 || works.pageFlags != 0) return;
    if ((works.ampStatus & core::ampStatus::Transmitting) == 0) return;
    FillRect(works.fb, 375, 175, 429, 209, 250, 0, 0);
    putString(8, 390, 200, "TX", 255, 255, 255, works.fb);
}

}  // namespace ui
