#pragma once
// The bit-serial link to the front panel's small controller: GPIO 4 carries
// the data, GPIO 6 the clock. One command byte goes out, one answer byte
// comes back; the GPIO thread sends at most one command every 200 passes.
#include <cstdint>

#include "platform/clock.h"
#include "platform/gpio.h"

namespace core {
struct Works;
}  // namespace core

namespace ui {

inline constexpr int kTinyDataPin = 4;
inline constexpr int kTinyClockPin = 6;
inline constexpr uint8_t kTinyIdle = 255;
inline constexpr uint8_t kTinyPowerOff = 133;

struct TinyPick {
    uint8_t command = 0;  // 0 none
    bool fromMailbox = false;
};

// The command due on this pass: the priority command, else the mailbox, else
// the next poll, once the pace count has run down.
TinyPick nextTinyCommand(core::Works& works);
// Sends command and returns the controller's answer.
uint8_t tinyTransfer(platform::Gpio& gpio, platform::Clock& clock, uint8_t command);
// Stores the answer in the result byte the command's low three bits name.
void storeTinyResult(core::Works& works, uint8_t command, uint8_t answer);
// Scheduling, transfer and result of one GPIO pass.
void serveTinyController(core::Works& works);

}  // namespace ui
