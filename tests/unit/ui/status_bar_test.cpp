#include "ui/status_bar.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/status_bits.h"
#include "test_frame.h"
#include "test_station.h"
#include "tuner/antenna_selection.h"
#include "ui/error_boxes.h"

namespace {

using testing_support::makeFrame;
using testing_support::Pixel;
using testing_support::pixelAt;
using testing_support::TestStation;

TEST(StatusBar, TopRowTexts) {
    TestStation station;
    core::Works& works = station.works;
    works.ModeWorkIdx = 2;
    works.NumAntenna = 1;
    works.bypass = 1;
    ui::StatusBarTexts texts = ui::statusBarTexts(works);
    EXPECT_EQ(texts.top, (std::array<std::string, 7>{" FT-817", "  Coax:RTX", "Band:---", "Att StdBy",
                                                     "Ant 2", "Atu: On", "Local"}));
    EXPECT_FALSE(texts.remoteStopped);

    works.ModeWorkIdx = -1;  // no bank loaded yet
    works.ampStatus0 = core::ampStatus0::CoaxRxTx;
    works.bypass = 0;
    works.attenuator = 3;
    works.tunerBypass = 1;
    works.useModeRemote = 1;
    works.remoteStopped = 1;
    works.frequency = 27000000;
    texts = ui::statusBarTexts(works);
    EXPECT_EQ(texts.top, (std::array<std::string, 7>{"", "Coax:RX+TX", "NOPA", "Att 5dB", "Ant 2", "Atu: ByP",
                                                     "Remote"}));
    EXPECT_TRUE(texts.remoteStopped);
}

TEST(StatusBar, BandIsTheLastAntennaRowHoldingTheFrequencyAndNamedUnlessNoAmplifierThere) {
    TestStation station;
    core::Works& works = station.works;
    tuner::InitTabAntenna(works, 0);
    works.frequency = 7300000;  // the end of a band belongs to it
    EXPECT_EQ(ui::statusBarTexts(works).top[2], "Band:40m");
    works.frequency = 7300001;
    EXPECT_EQ(ui::statusBarTexts(works).top[2], "Band:---");
    station.antennaRows()[6].start = 14000000;  // "17m" now overlaps "20m"
    works.frequency = 14070000;
    EXPECT_EQ(ui::statusBarTexts(works).top[2], "Band:17m");

    EXPECT_EQ(ui::bandText(14070000, "20m"), "Band:20m");
    EXPECT_EQ(ui::bandText(14070000, ""), "Band:---");
    EXPECT_EQ(ui::bandText(26000000, "CB"), "NOPA");
    EXPECT_EQ(ui::bandText(28000000, "10m"), "NOPA");
    EXPECT_EQ(ui::bandText(28000001, "10m"), "Band:10m");
}

TEST(StatusBar, TemperaturesAndSupply) {
    TestStation station;
    core::Works& works = station.works;
    works.ampModelFlag = '0';
    works.temperature1 = 45.5f;
    works.temperature2 = 7.0f;
    works.cpuTemp = 50.0f;
    works.tinyResult3 = 100;
    works.currentRaw = 1024.0f;
    ui::StatusBarTexts texts = ui::statusBarTexts(works);
    EXPECT_EQ(texts.temperatures, "PA1:45.5°C   P2:07.0°C    CPU:50.0°C");
    EXPECT_EQ(texts.supply, "PA Voltage: 08.5V       Current: 03.5A");

    works.TempMode = 1;
    works.temperature1 = 100.0f;
    works.temperature2 = 0.0f;
    works.cpuTemp = 37.0f;
    works.tinyResult3 = 240;  // above 20 V: not a 60 W supply reading
    texts = ui::statusBarTexts(works);
    EXPECT_EQ(texts.temperatures, "PA1:212.0°F   P2:32.0°F    CPU:98.6°F");
    EXPECT_EQ(texts.supply, "PA Voltage: -----       Current: 03.5A");
    works.ampModelFlag = '1';
    EXPECT_NE(ui::statusBarTexts(works).supply.find("PA Voltage: 60.0V"), std::string::npos);
}

TEST(StatusBar, PanelMessageOfTheFirstFlag) {
    TestStation station;
    core::Works& works = station.works;
    EXPECT_EQ(ui::panelMessage(works), "");
    using namespace core::panelFlags;
    works.panelFlags = Locked | TuneDisabled;
    EXPECT_EQ(ui::panelMessage(works), "Locked operation.");
    works.panelFlags = SecondFunction | WaitingForTune;
    EXPECT_EQ(ui::panelMessage(works), "Entering second function...");
    works.panelFlags = LocalMode;
    EXPECT_EQ(ui::panelMessage(works), "Set to Local Mode: Remote not started. Verify connections.");
    works.panelFlags = UpdateMessage;  // drawn by the settings menu
    works.tuneState = 1;
    EXPECT_EQ(ui::panelMessage(works), "Press Tune Key to abort");
    works.panelFlags = WaitingForTune;
    EXPECT_EQ(ui::panelMessage(works), "Waiting for Tune...");
}

class ErrorBoxes : public ::testing::Test {
  protected:
    ErrorBoxes() : fb(makeFrame(800, 480, 4)) {
        works.fb = fb.get();
        works.errorsHeld = 0;
        core::InitErrorDescriptors(works);
    }
    void list(std::initializer_list<int> codes) {
        for (int code : codes) core::AddErrore(works, code);
    }
    // Fill colour of box 0..5, sampled clear of the frame and the texts.
    [[nodiscard]] Pixel box(int index) const {
        constexpr int kRightEdges[] = {130, 263, 396, 529, 662, 795};
        return pixelAt(*fb, kRightEdges[index] - 3, 372);
    }

    TestStation station;
    core::Works& works = station.works;
    std::unique_ptr<ui::FrameBuffer> fb;
    static constexpr Pixel kRed{255, 30, 0}, kOrange{250, 150, 0}, kNone{0, 0, 0};
};

TEST_F(ErrorBoxes, EightCodesShowTheNewestSixNewestLeft) {
    // Alarms (red): 1, 3, 2. Codes by index 0..7.
    list({1, 3, 4, 5, 6, 2, 7, 8});
    ui::DrawError(works);
    // Indices 7, 6, 5, 4, 3, 2 from the left: codes 8, 7, 2, 6, 5, 4.
    const std::array<Pixel, 6> expected{kOrange, kOrange, kRed, kOrange, kOrange, kOrange};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(box(i), expected[static_cast<size_t>(i)]) << "box " << i;
}

TEST_F(ErrorBoxes, ThreeCodesFillTheRightMostBoxesOldestRight) {
    list({1, 4, 5});
    ui::DrawError(works);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(box(i), kNone) << "box " << i;
    EXPECT_EQ(box(3), kOrange);  // index 2
    EXPECT_EQ(box(4), kOrange);  // index 1
    EXPECT_EQ(box(5), kRed);     // index 0
}

TEST_F(ErrorBoxes, NothingOverAPageOrWithoutErrors) {
    ui::DrawError(works);
    EXPECT_EQ(box(5), kNone);
    list({1});
    works.pageFlags = core::pageFlags::StatusPage;
    ui::DrawError(works);
    EXPECT_EQ(box(5), kNone);
}

}  // namespace
