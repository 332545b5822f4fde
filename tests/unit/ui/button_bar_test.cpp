#include "ui/button_bar.h"

#include <gtest/gtest.h>

#include <string>

#include "core/error_codes.h"
#include "core/errors.h"
#include "test_frame.h"
#include "test_station.h"
#include "ui/button_labels.h"
#include "ui/fonts.h"
#include "ui/settings_menu.h"

namespace {

using testing_support::Pixel;
using testing_support::pixelAt;

struct Button {
    int left, right, edge;  // filled columns, then the right edge's column
};
constexpr Button kButtons[] = {{0, 129, 130},   {133, 262, 263}, {266, 395, 396},
                               {399, 528, 529}, {532, 661, 662}, {665, 794, 799}};

// What the bar leaves at a column of its rows below the top edge and above
// the long-press marks: a button's fill, an edge, or the background between.
Pixel expectedAt(int x) {
    for (const Button& button : kButtons) {
        if (x == button.edge) return {120, 120, 120};
        if (x >= button.left && x <= button.right) return {40, 40, 40};
    }
    return {0, 0, 0};
}

// The columns where the bar differs from what it should leave, labels aside.
std::string wrongColumns(const ui::FrameBuffer& fb) {
    std::string wrong;
    for (int x = 0; x < 800; ++x) {
        const Pixel expected = expectedAt(x);
        const bool boundary =
            expected != Pixel{40, 40, 40} || expectedAt(x - 1) != expected || expectedAt(x + 1) != expected;
        if (!boundary) continue;
        for (int y = 421; y <= 477; ++y) {
            if (pixelAt(fb, x, y) == expected) continue;
            wrong += " x " + std::to_string(x);
            break;
        }
    }
    return wrong;
}

class ButtonBar : public ::testing::Test {
  protected:
    ButtonBar() {
        ui::loadFonts(works);
        core::InitErrorDescriptors(works);
        works.errorsHeld = 0;
    }
    [[nodiscard]] std::string label(int button, int line) {
        return ui::currentButtonLabels(works).text[static_cast<size_t>(2 * (button - 1) + line - 1)];
    }

    testing_support::TestStation station;
    core::Works& works = station.works;
};

// Drawn over a black background, each button fills its own columns only; the
// labels are left out of the comparison, the first and last filled columns not.
TEST_F(ButtonBar, EachButtonFillsItsOwnColumns) {
    const auto fb = testing_support::makeFrame(800, 480, 4);
    works.fb = fb.get();
    ui::LoadButtons(works, core::QorParams{});
    works.fb = nullptr;
    EXPECT_EQ(wrongColumns(*fb), "");
}

// A label past the right edge of the screen would be cut there and wrap onto
// the next pixel row at column 0: in no screen state, with or without an
// error waiting, does a label reach the columns before button 1's labels or
// the last columns of the screen.
TEST_F(ButtonBar, NoLabelRunsPastTheRightEdge) {
    ui::InitMenuNova(works);
    for (int32_t state = 0; state < ui::kScreenStates; ++state) {
        for (const bool errorWaits : {false, true}) {
            works.errors.removeWithFlags(0);
            works.screenState = state;
            if (errorWaits) core::AddErrore(works, core::err::AmpProtection);
            const auto fb = testing_support::makeFrame(800, 480, 4);
            works.fb = fb.get();
            ui::LoadButtons(works, core::QorParams{});
            works.fb = nullptr;
            std::string wrong;
            for (int x = 0; x < 800; ++x) {
                if (x >= 20 && x < 795) continue;
                for (int y = 421; y <= 477; ++y) {
                    if (pixelAt(*fb, x, y) == expectedAt(x)) continue;
                    wrong += " x " + std::to_string(x);
                    break;
                }
            }
            EXPECT_EQ(wrong, "") << "state " << state << (errorWaits ? " with an error" : "");
        }
    }
}

// Button 6 runs the error key first on the main screen and in the tune menu:
// there it says so while an error other than a temperature alarm waits.
TEST_F(ButtonBar, ButtonSixNamesTheErrorKeyWhileAnErrorWaits) {
    struct Case {
        const char* name;
        int32_t state;
        int32_t error;  // -1: none
        const char* line1;
        const char* line2;
    };
    const Case cases[] = {
        {"main screen", ui::screen::Main, core::err::AmpProtection, "RESET", " Error "},
        {"tune menu", ui::screen::TuneMenu, core::err::Communication, "RESET", " Error "},
        {"main screen, no error", ui::screen::Main, -1, "   VIEW ", "    1"},
        {"tune menu, no error", ui::screen::TuneMenu, -1, "MANUAL", "Tune"},
        {"main screen, temperature alarm", ui::screen::Main, core::err::Temp2Alarm, "   VIEW ", "    1"},
        {"tune menu, temperature warning", ui::screen::TuneMenu, core::err::Temp1Warning, "MANUAL", "Tune"},
        {"settings menu", ui::screen::MenuList, core::err::AmpProtection, "  ENTER", ""},
    };
    for (const Case& c : cases) {
        works.errors.removeWithFlags(0);
        works.screenState = c.state;
        works.mainWindow = 1;
        if (c.error >= 0) core::AddErrore(works, c.error);
        EXPECT_EQ(label(6, 1), c.line1) << c.name;
        EXPECT_EQ(label(6, 2), c.line2) << c.name;
    }
}

}  // namespace
