#pragma once
// The service keyboard thread: while the station runs it looks for a USB
// keyboard, and when one is plugged in reads four service keys from it:
// Print Screen takes a screenshot, F10 starts the remote service shell, F11
// saves the setup, and F12 ends the program.

namespace core {
struct Works;
}  // namespace core

namespace ui {

void keyb(core::Works& works);

}  // namespace ui
