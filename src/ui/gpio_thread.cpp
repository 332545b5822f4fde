#include "ui/gpio_thread.h"

#include <chrono>

#include "core/flag_bits.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "ui/tiny_link.h"

namespace ui {
namespace {

using namespace std::chrono_literals;

constexpr int kHeartbeatPin = 16;
// Low while a firmware update is armed.
constexpr int kUpdatePin = 13;
constexpr uint32_t kKeyMask = 0x3F;

// Keys (bit key - 1) that, held together for more than five passes during
// the start-up countdown, set a byte of the record.
struct Chord {
    uint32_t keys;
    std::atomic<uint8_t> core::Works::*byte;
};
const Chord kChords[] = {
    {0b000111, &core::Works::debugOverlay},
    {0b110000, &core::Works::serviceMode},
};
constexpr int kChordPasses = 5;

constexpr auto kShutdownRelease = 300ms;
constexpr auto kShutdownDelay = 1500ms;

int dispatchKey(core::Works& works, int key, int held) {
    return works.services->keyHandler(works, key, held);
}

void showSecondFunction(core::Works& works, bool near) {
    if (near)
        works.panelFlags |= core::panelFlags::SecondFunction;
    else
        works.panelFlags &= static_cast<uint8_t>(~core::panelFlags::SecondFunction);
}

}  // namespace

void setUpPanelPins(platform::Gpio& gpio) {
    using platform::PinFunction;
    platform::setPinFunction(gpio, kTinyDataPin, PinFunction::Output);
    platform::setPinFunction(gpio, kTinyClockPin, PinFunction::Output);
    platform::setPinFunction(gpio, kHeartbeatPin, PinFunction::Output);
    platform::setPin(gpio, kUpdatePin);
    platform::setPinFunction(gpio, kUpdatePin, PinFunction::Output);
    for (int key = 0; key < kKeyCount; ++key)
        platform::setPinFunction(gpio, kFirstKeyPin + key, PinFunction::Input);
    platform::enablePullUps(gpio, kKeyMask << kFirstKeyPin);
}

void PanelInput::recogniseChords(core::Works& works, uint32_t levels) {
    const uint32_t down = ~levels & kKeyMask;
    for (size_t chord = 0; chord < std::size(kChords); ++chord) {
        chordPasses_[chord] =
            (down & kChords[chord].keys) == kChords[chord].keys ? chordPasses_[chord] + 1 : 0;
        if (chordPasses_[chord] > kChordPasses) works.*kChords[chord].byte = 1;
    }
}

void PanelInput::followShutdown(core::Works& works, uint32_t levels) {
    if (works.shutdownState == 0 || (levels & 1u) == 0) return;
    const platform::Clock::TimePoint now = works.platform->clock().now();
    switch (works.shutdownState) {
        case 1:
            shutdownStep_ = now;
            works.shutdownState = 2;
            break;
        case 2:
            if (now - shutdownStep_ > kShutdownRelease) {
                shutdownStep_ = now;
                works.shutdownState = 3;
            }
            break;
        case 3:
            if (now - shutdownStep_ > kShutdownDelay) works.tempflag_processextREMLOCOFF = kTinyPowerOff;
            break;
        default:
            break;
    }
}

void PanelInput::pass(core::Works& works) {
    platform::Gpio& gpio = works.platform->gpio();
    platform::setPin(gpio, kHeartbeatPin);
    if ((works.serviceFlags & core::serviceFlags::FirmwareUpdateArmed) != 0)
        platform::clearPin(gpio, kUpdatePin);
    else
        platform::setPin(gpio, kUpdatePin);
    serveTinyController(works);

    const uint32_t levels = (gpio.read(platform::GpioRegister::Level0) >> kFirstKeyPin) & kKeyMask;
    if (works.startInitThread != 0) {
        recogniseChords(works, levels);
        // Keys still down from a chord when the countdown ends count only once released.
        keys_ = KeyTiming{};
    } else {
        auto dispatch = [&works](int key, int held) { return dispatchKey(works, key, held); };
        auto announce = [&works](bool near) { showSecondFunction(works, near); };
        keys_.pass(levels, works.platform->clock().now(), works.TIME_LONG_PRESS, dispatch, announce);
    }
    followShutdown(works, levels);
}

void GPIO(core::Works& works) {
    platform::trace("GPIO operations start\n");
    platform::Gpio& gpio = works.platform->gpio();
    gpio.open();
    setUpPanelPins(gpio);
    // The record starts with a command marked in progress; nothing is.
    works.tinyCommand = kTinyIdle;
    platform::trace("GPIO loop start\n");
    PanelInput input;
    while (works.running != 0) {
        input.pass(works);
        works.platform->clock().sleepFor(2ms);
    }
}

}  // namespace ui
