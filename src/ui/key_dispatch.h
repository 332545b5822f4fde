#pragma once
// The front-panel keys' meaning in every screen state. Runs on the GPIO
// thread, which never draws: a new background is asked of the main loop.
#include <cstdint>

namespace core {
struct Works;
}  // namespace core

namespace ui {

// A key event: key 1..6, held 0 for a short press, else the held mask of a
// long press or repeat. Non-zero asks for repeat while the key stays down.
int DecodeTasto(core::Works& works, int key, int held);

// The amplifier transmits, trips, or is keyed: bank and antenna stay as they are.
[[nodiscard]] bool lockedOperation(const core::Works& works);

// Changes the selected cell of the bank table's selected row; down 1 is the minus key.
void ModifytabAntenna(core::Works& works, int down);
// Leaves the filter-file pages for the main screen.
void ExitFromFilterLoad(core::Works& works);

}  // namespace ui
