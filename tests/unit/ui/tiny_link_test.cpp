#include "ui/tiny_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/sim/manual_clock.h"
#include "platform/sim/sim_gpio.h"
#include "test_station.h"
#include "ui/gpio_thread.h"

namespace {

using namespace std::chrono_literals;

// Plays the controller's side by hand: records the data line at each falling
// clock edge while the block drives it, then puts the answer's 12 bits on it.
TEST(TinyLink, CommandGoesOutMostSignificantBitFirstAndTheLastEightBitsInAreTheAnswer) {
    const struct {
        uint8_t command;
        uint16_t bitsIn;  // 12 bits on the line
        uint8_t answer;
    } cases[] = {{0xD3, 0x0C0, 0xC0}, {0xC5, 0xF5A, 0x5A}, {0x85, 0x001, 0x01}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.command);
        platform::SimGpio gpio;
        platform::ManualClock clock;
        ui::setUpPanelPins(gpio);
        std::vector<int> sent;
        int answered = 0;
        int clockLevel = 0;
        gpio.onWrite([&] {
            const int level = gpio.output(ui::kTinyClockPin);
            const bool falling = clockLevel == 1 && level == 0;
            clockLevel = level;
            if (!falling) return;
            if (gpio.isOutput(ui::kTinyDataPin)) {
                sent.push_back(gpio.output(ui::kTinyDataPin));
            } else {
                gpio.drive(ui::kTinyDataPin, (test.bitsIn >> (11 - answered)) & 1);
                ++answered;
            }
        });
        const auto start = clock.now();
        EXPECT_EQ(ui::tinyTransfer(gpio, clock, test.command), test.answer);
        std::vector<int> expected;
        for (int bit = 7; bit >= 0; --bit) expected.push_back((test.command >> bit) & 1);
        EXPECT_EQ(sent, expected);
        EXPECT_EQ(answered, 12);
        EXPECT_EQ(clock.now() - start, 8 * 600us + 600us + 12 * 400us);
        EXPECT_TRUE(gpio.isOutput(ui::kTinyDataPin));
        EXPECT_EQ(gpio.output(ui::kTinyDataPin), 1);
        EXPECT_EQ(gpio.output(ui::kTinyClockPin), 1);
    }
}

// Against the simulated controller: one command per call with the pace run down.
TEST(TinyLink, AnswersLandInTheResultByteOfTheCommandsLowBits) {
    testing_support::TestStation station;
    core::Works& works = station.works;
    bool poweredOff = false;
    works.platform->whenPoweredOff([&] { poweredOff = true; });
    ui::setUpPanelPins(works.platform->gpio());
    works.tinyCommand = ui::kTinyIdle;
    auto serve = [&] {
        works.tinyPace = 0;
        ui::serveTinyController(works);
    };

    for (int poll = 0; poll < 4; ++poll) serve();
    EXPECT_EQ(works.tinyResult0, 0x5A);
    EXPECT_EQ(works.tinyResult1, 0x3C);
    EXPECT_EQ(works.tinyResult2, 0x80);
    EXPECT_EQ(works.tinyResult3, platform::TinyControllerEmulator::kSupplyCounts);
    EXPECT_EQ(works.tinyPoll, 0);

    // The priority command goes before the mailbox, which waits for the next turn.
    works.tinyStatus = 0xFF;
    works.tinyMailbox = 0xC5;
    works.tempflag_processextREMLOCOFF = ui::kTinyPowerOff;
    serve();
    EXPECT_TRUE(poweredOff);
    EXPECT_EQ(works.tinyStatus, 0);
    EXPECT_EQ(works.tempflag_processextREMLOCOFF, 0);
    EXPECT_EQ(works.tinyMailbox, 0xC5);
    serve();
    EXPECT_EQ(works.tinyMailbox, 0);
    EXPECT_EQ(works.tinyCommand, ui::kTinyIdle);
    works.platform->whenPoweredOff(nullptr);
}

}  // namespace
