#include "ui/button_bar.h"

#include <gtest/gtest.h>

#include <string>

#include "test_frame.h"
#include "test_station.h"

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

// Drawn over a black background, each button fills its own columns only; the
// labels are left out of the comparison, the first and last filled columns not.
TEST(ButtonBar, EachButtonFillsItsOwnColumns) {
    testing_support::TestStation station;
    core::Works& works = station.works;
    const auto fb = testing_support::makeFrame(800, 480, 4);
    works.fb = fb.get();
    ui::LoadButtons(works, core::QorParams{});
    works.fb = nullptr;
    std::string wrong;
    for (int x = 0; x < 800; ++x) {
        const Pixel expected = expectedAt(x);
        const bool boundary =
            expected != Pixel{40, 40, 40} || expectedAt(x - 1) != expected || expectedAt(x + 1) != expected;
        if (!boundary) continue;
        for (int y = 421; y <= 477; ++y) {
            if (pixelAt(*fb, x, y) == expected) continue;
            wrong += " x " + std::to_string(x);
            break;
        }
    }
    EXPECT_EQ(wrong, "");
}

}  // namespace
