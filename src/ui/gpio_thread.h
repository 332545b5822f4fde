#pragma once
// The GPIO thread: every 2 ms it drives the status outputs, serves the front
// panel's small controller and reads the six keys, handing key events to the
// record's key handler. During the start-up countdown it recognises two key
// chords instead: keys 1, 2 and 3 set debugOverlay, keys 5 and 6 set
// serviceMode. After a power-off request (shutdownState 1) and the release of
// key 1 it orders the small controller to switch the unit off.
#include <array>
#include <cstdint>

#include "platform/clock.h"
#include "platform/gpio.h"
#include "ui/key_timing.h"

namespace core {
struct Works;
}  // namespace core

namespace ui {

// The first key's pin; keys 1 to 6 are pins 22 to 27.
inline constexpr int kFirstKeyPin = 22;

// Data and clock of the small controller's link, pin 16, pin 13 high, and
// the keys as inputs with pull-ups.
void setUpPanelPins(platform::Gpio& gpio);

class PanelInput {
  public:
    // One pass of the loop.
    void pass(core::Works& works);

  private:
    void recogniseChords(core::Works& works, uint32_t levels);
    void followShutdown(core::Works& works, uint32_t levels);

    KeyTiming keys_;
    std::array<int, 2> chordPasses_{};
    platform::Clock::TimePoint shutdownStep_{};
};

void GPIO(core::Works& works);

}  // namespace ui
