#include "ui/spectrum_plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <future>
#include <thread>
#include <vector>

#include "core/flag_bits.h"
#include "core/try_mutex.h"
#include "test_frame.h"
#include "test_station.h"
#include "ui/framebuffer.h"

namespace {

using testing_support::makeFrame;
using ui::CalculatePoint;
using ui::frequencyTitle;
using ui::levelLabel;
using ui::plotScale;

TEST(SpectrumScaleTest, ReferenceLevelAtTheGivenDivisionFromTheBottom) {
    const ui::PlotScale atBottom = plotScale(-20, 0, 10, 10);
    EXPECT_EQ(levelLabel(atBottom, 10, 0), "80");
    EXPECT_EQ(levelLabel(atBottom, 10, 10), "-20");

    const ui::PlotScale twoUp = plotScale(-20, 2, 10, 10);
    EXPECT_EQ(levelLabel(twoUp, 10, 0), "60");
    EXPECT_EQ(levelLabel(twoUp, 10, 8), "-20");
    EXPECT_EQ(levelLabel(twoUp, 10, 10), "-40");

    // Settings straight from the setup file must not overflow.
    EXPECT_EQ(levelLabel(plotScale(0, 999999, 999999, 10), 999999, 10), "-999998000001");
}

TEST(CalculatePointTest, ValuesOffTheScaleOrOnAZeroDbScaleLieOnTheOuterGridLines) {
    core::SpectrumGrid grid;
    ui::recomputeGrid(grid, core::kLineSpan);
    EXPECT_FLOAT_EQ(CalculatePoint(grid, -40, 60, 0, -1000).y, 230.0f);
    EXPECT_FLOAT_EQ(CalculatePoint(grid, -40, 60, 0, 1000).y, 60.0f);
    EXPECT_FLOAT_EQ(CalculatePoint(grid, -40, 60, 0, -40).y, 230.0f);
    EXPECT_FLOAT_EQ(CalculatePoint(grid, -40, 60, 0, 60).y, 60.0f);
    EXPECT_FLOAT_EQ(CalculatePoint(grid, -40, 60, 0, -20).y, 196.0f);
    EXPECT_FLOAT_EQ(CalculatePoint(grid, -40, 60, 0, 0).x, 70.0f);
    EXPECT_FLOAT_EQ(CalculatePoint(grid, -40, 60, 427, 0).x, 414.0f);
    EXPECT_FLOAT_EQ(CalculatePoint(grid, -40, 60, 854, 0).x, 758.0f);
    // Zero dB per division must not divide by zero.
    EXPECT_FLOAT_EQ(CalculatePoint(grid, -20, -20, 5, -30).y, 230.0f);
    EXPECT_FLOAT_EQ(CalculatePoint(grid, -20, -20, 5, -10).y, 60.0f);
    EXPECT_FLOAT_EQ(CalculatePoint(grid, -20, -20, 5, -20).y, 230.0f);
}

TEST(FrequencyTitleTest, UnitByMagnitude) {
    EXPECT_EQ(frequencyTitle(7050000), "7.050MHz");
    EXPECT_EQ(frequencyTitle(475000), "475.000kHz");
    EXPECT_EQ(frequencyTitle(999999), "999.999kHz");
    EXPECT_EQ(frequencyTitle(1000000), "1.000MHz");
    EXPECT_EQ(frequencyTitle(1000), "1.000kHz");
    EXPECT_EQ(frequencyTitle(999), "999Hz");
    EXPECT_EQ(frequencyTitle(0), "");
    EXPECT_EQ(frequencyTitle(-5), "");
}

class SpectrumDrawTest : public ::testing::Test {
  protected:
    SpectrumDrawTest() : frame(makeFrame(800, 480, 4)), fb(*frame) {
        works.fb = &fb;
        works.serMut = &serMut;
        works.spectrum = &spectrum;
        works.frequency = 0;
        works.mainWindow = 4;
        works.plotRefLevel = -20;
        works.plotRefPos = 2;
        works.plotPointDiv = 10;
        works.plotOffset = 0.0;
        ui::InitGrid(works);
    }

    [[nodiscard]] bool white(int x, int y) const {
        const uint8_t* pixel = fb.back + y * 3200 + x * 4;
        return pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255;
    }
    [[nodiscard]] int whiteInRow(int y) const {
        int count = 0;
        for (int x = 0; x < 800; ++x) count += white(x, y) ? 1 : 0;
        return count;
    }
    void fill(float from0To212, float from213To639, float from640) {
        for (std::size_t i = 0; i < spectrum.magnitude.size(); ++i)
            spectrum.magnitude[i] = i < 213 ? from0To212 : i < 640 ? from213To639 : from640;
    }

    testing_support::TestStation station;
    core::Works& works = station.works;
    std::unique_ptr<ui::FrameBuffer> frame;
    ui::FrameBuffer& fb;
    core::TryMutex serMut;
    core::SpectrumRecord spectrum;
};

TEST_F(SpectrumDrawTest, FlatTraceAtTheReferenceLevelLiesOnItsGridRow) {
    fill(-20, -20, -20);
    ui::DrawGrid(works);
    // Reference position 2 of 10: the eighth line from the top, 60 + 8 * 17;
    // the last of the 854 values is at 70 + 853 / 854 * 688.
    for (int x = 70; x <= 757; ++x) ASSERT_TRUE(white(x, 196)) << "x " << x;
    EXPECT_EQ(whiteInRow(196), 688);
    EXPECT_EQ(whiteInRow(195), 0);
    EXPECT_EQ(whiteInRow(197), 0);

    fb.backStore.assign(fb.size, 0);
    fill(-25, -25, -25);
    works.plotOffset = 5.0;
    ui::DrawGrid(works);
    EXPECT_EQ(whiteInRow(196), 688);
}

TEST_F(SpectrumDrawTest, ModeFiveDrawsTheCentralHalfOfTheLine) {
    fill(1000, -20, 1000);
    ui::setSpectrumMode(works, 5);
    ui::DrawGrid(works);
    EXPECT_EQ(whiteInRow(196), 687);  // 427 values: the last at 70 + 426 / 427 * 688
    EXPECT_EQ(whiteInRow(60), 0);

    fb.backStore.assign(fb.size, 0);
    ui::setSpectrumMode(works, 4);
    ui::DrawGrid(works);
    EXPECT_GT(whiteInRow(60), 100);  // the outer quarters, far above the scale
    EXPECT_GT(whiteInRow(196), 300);

    ui::setSpectrumMode(works, 2);  // a meter mode leaves the plot as it was
    EXPECT_EQ(works.spectrumSpan, 160000);
}

TEST_F(SpectrumDrawTest, BusySpectrumLockSkipsOnlyTheTrace) {
    fill(-20, -20, -20);
    std::promise<void> locked, release;
    std::thread holder([&] {
        const bool held = serMut.lock(works.platform->clock(), "held by the test");
        EXPECT_TRUE(held);
        locked.set_value();
        release.get_future().wait();
        if (held) serMut.unlock();
    });
    locked.get_future().wait();
    ui::DrawGrid(works);
    release.set_value();
    holder.join();

    EXPECT_EQ(whiteInRow(196), 0);
    EXPECT_NE(fb.back[60 * 3200 + 70 * 4], 0);  // the grid is there
    EXPECT_TRUE(station.log.contains("serMut mutex cannot be locked"));
}

TEST_F(SpectrumDrawTest, NothingWhileAFullScreenPageIsShown) {
    fill(-20, -20, -20);
    works.pageFlags = core::pageFlags::StatusPage;
    ui::DrawGrid(works);
    EXPECT_TRUE(
        std::all_of(fb.backStore.begin(), fb.backStore.end(), [](uint8_t byte) { return byte == 0; }));
}

}  // namespace
