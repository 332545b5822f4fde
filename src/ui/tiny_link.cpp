#include "ui/tiny_link.h"

#include <chrono>

#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace ui {
namespace {

using std::chrono::microseconds;

constexpr int kPace = 200;
constexpr uint8_t kPolls[] = {0xD1, 0xD2, 0xD3, 0xD0};
constexpr int kAnswerBits = 12;

}  // namespace

TinyPick nextTinyCommand(core::Works& works) {
    if (works.tinyPace != 0) {
        --works.tinyPace;
        return {};
    }
    works.tinyPace = kPace;
    if (uint8_t priority = works.tempflag_processextREMLOCOFF; priority != 0) {
        platform::trace("CMD TINY PRIORITY %0x\n", priority);
        works.tempflag_processextREMLOCOFF = 0;
        return {priority, false};
    }
    if (uint8_t mailbox = works.tinyMailbox; mailbox != 0) {
        platform::trace("CMD TINY EXT %0x\n", mailbox);
        return {mailbox, true};
    }
    const uint8_t poll = kPolls[works.tinyPoll];
    works.tinyPoll = static_cast<uint8_t>((works.tinyPoll + 1) % 4);
    return {poll, false};
}

uint8_t tinyTransfer(platform::Gpio& gpio, platform::Clock& clock, uint8_t command) {
    for (int bit = 7; bit >= 0; --bit) {
        platform::setPin(gpio, kTinyClockPin);
        clock.sleepFor(microseconds(200));
        if ((command >> bit) & 1)
            platform::setPin(gpio, kTinyDataPin);
        else
            platform::clearPin(gpio, kTinyDataPin);
        clock.sleepFor(microseconds(200));
        platform::clearPin(gpio, kTinyClockPin);
        clock.sleepFor(microseconds(200));
    }
    platform::setPinFunction(gpio, kTinyDataPin, platform::PinFunction::Input);
    platform::setPin(gpio, kTinyClockPin);
    clock.sleepFor(microseconds(600));
    uint8_t answer = 0;
    for (int bit = 0; bit < kAnswerBits; ++bit) {
        platform::clearPin(gpio, kTinyClockPin);
        clock.sleepFor(microseconds(200));
        answer = static_cast<uint8_t>(answer << 1 | platform::pinLevel(gpio, kTinyDataPin));
        platform::setPin(gpio, kTinyClockPin);
        clock.sleepFor(microseconds(200));
    }
    platform::setPinFunction(gpio, kTinyDataPin, platform::PinFunction::Output);
    platform::setPin(gpio, kTinyClockPin);
    platform::setPin(gpio, kTinyDataPin);
    return answer;
}

void storeTinyResult(core::Works& works, uint8_t command, uint8_t answer) {
    switch (command & 7) {
        case 0:
            works.tinyResult0 = answer;
            break;
        case 1:
            works.tinyResult1 = answer;
            break;
        case 2:
            works.tinyResult2 = answer;
            break;
        case 3:
            works.tinyResult3 = answer;
            break;
        case 5:
            works.tinyStatus = answer;
            break;
        default:
            break;
    }
}

void serveTinyController(core::Works& works) {
    if (works.tinyCommand != kTinyIdle) return;
    const TinyPick pick = nextTinyCommand(works);
    if (pick.command == 0) return;
    works.tinyCommand = pick.command;
    storeTinyResult(works, pick.command,
                    tinyTransfer(works.platform->gpio(), works.platform->clock(), pick.command));
    works.tinyCommand = kTinyIdle;
    if (pick.fromMailbox) works.tinyMailbox = 0;
}

}  // namespace ui
