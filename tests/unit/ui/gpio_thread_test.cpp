#include "ui/gpio_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "core/flag_bits.h"
#include "test_station.h"
#include "ui/button_labels.h"
#include "ui/key_dispatch.h"
#include "ui/tiny_link.h"

namespace {

using namespace std::chrono_literals;

std::vector<std::pair<int, int>> keyEvents;

// Takes the keys down instead of acting on them.
class KeyRecorder final : public core::Services {
  public:
    int keyHandler(core::Works&, int key, int held) override {
        keyEvents.emplace_back(key, held);
        return 0;
    }
};

// The loop's passes on the manual clock, keys driven on the simulated pins.
class GpioPasses : public ::testing::Test {
  protected:
    GpioPasses() {
        keyEvents.clear();
        works.services = &recorder;
        works.tinyCommand = ui::kTinyIdle;
        ui::setUpPanelPins(station.gpio());
    }
    void hold(std::initializer_list<int> keys, int passes) {
        for (int key = 1; key <= ui::kKeyCount; ++key)
            station.gpio().drive(ui::kFirstKeyPin + key - 1, std::nullopt);
        for (int key : keys) station.gpio().drive(ui::kFirstKeyPin + key - 1, 0);
        for (int pass = 0; pass < passes; ++pass) {
            input.pass(works);
            works.platform->clock().sleepFor(2ms);
        }
    }

    KeyRecorder recorder;
    testing_support::TestStation station;
    core::Works& works = station.works;
    ui::PanelInput input;
};

TEST_F(GpioPasses, KeysOnThePinsReachTheKeyHandler) {
    hold({}, 10);
    hold({6}, 50);
    hold({}, 10);
    hold({2}, 400);
    EXPECT_NE(works.panelFlags & core::panelFlags::SecondFunction, 0);
    hold({}, 10);
    const std::vector<std::pair<int, int>> expected = {{6, 0}, {2, 1 << 1}};
    EXPECT_EQ(keyEvents, expected);
}

TEST_F(GpioPasses, WithoutAKeyDispatchTheLongPressMessageDoesNotStay) {
    works.services = &core::Services::none();
    hold({}, 10);
    hold({2}, 400);
    hold({}, 10);
    EXPECT_EQ(works.panelFlags & core::panelFlags::SecondFunction, 0);
}

// "Entering second function..." shows while a long press is near or
// repeating and goes with the key's release, also when the key dispatch did
// not act on the press.
TEST_F(GpioPasses, TheLongPressMessageGoesWhenTheKeyIsReleased) {
    works.services = &station.services;
    hold({}, 10);
    struct Case {
        const char* name;
        int32_t screenState;
        uint8_t screenSaverOn;
        int key, passes;
    } cases[] = {
        {"up L held 1.5 s in manual tune, repeating", ui::screen::ManualTune, 0, 3, 750},
        {"a long press that woke the screen saver", ui::screen::Main, 1, 2, 400},
        {"a press that woke the screen saver, let go just before its long press", ui::screen::Main, 1, 2,
         230},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        works.screenState = c.screenState;
        works.screenSaverOn = c.screenSaverOn;
        hold({c.key}, c.passes);
        EXPECT_NE(works.panelFlags & core::panelFlags::SecondFunction, 0);
        hold({}, 10);
        EXPECT_EQ(works.panelFlags & core::panelFlags::SecondFunction, 0);
    }
}

TEST_F(GpioPasses, StartUpChordsSetTheirBytesAndTheirKeysDispatchNothing) {
    const struct {
        std::initializer_list<int> keys;
        int passes;
        uint8_t debugOverlay, serviceMode;
    } cases[] = {
        {{1, 2, 3}, 5, 0, 0},
        {{1, 2, 3}, 6, 1, 0},
        {{5, 6}, 6, 0, 1},
        {{1, 2}, 20, 0, 0},
    };
    hold({}, 10);  // the passes before the countdown
    for (const auto& test : cases) {
        works.debugOverlay = 0;
        works.serviceMode = 0;
        works.startInitThread = 1;
        hold(test.keys, test.passes);
        hold({}, 10);
        EXPECT_EQ(works.debugOverlay, test.debugOverlay);
        EXPECT_EQ(works.serviceMode, test.serviceMode);
    }
    hold({5, 6}, 10);
    works.startInitThread = 0;
    hold({6}, 300);
    hold({}, 10);
    EXPECT_TRUE(keyEvents.empty());
}

TEST_F(GpioPasses, PowerOffWaitsForKeyOneReleasedThenOrdersTheControllerToSwitchOff) {
    bool poweredOff = false;
    works.platform->whenPoweredOff([&] { poweredOff = true; });
    works.shutdownState = 1;
    hold({1}, 100);
    EXPECT_EQ(works.shutdownState, 1);
    hold({}, 1);
    EXPECT_EQ(works.shutdownState, 2);
    hold({}, 160);
    EXPECT_EQ(works.shutdownState, 3);
    EXPECT_FALSE(poweredOff);
    // 1.5 s, then the next turn of the paced link
    hold({}, 750 + 200);
    EXPECT_TRUE(poweredOff);
    works.platform->whenPoweredOff(nullptr);
}

}  // namespace
