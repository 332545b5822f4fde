#pragma once
// The key actions of each screen state, one function per group of states;
// each returns the repeat request.

namespace core {
struct Works;
}  // namespace core

namespace ui {

struct KeyEvent {
    int key;         // 1..6
    bool longPress;  // a long press or a repeat
};

int mainScreenKey(core::Works& works, KeyEvent event);
int menuKey(core::Works& works, KeyEvent event);
int tuneMenuKey(core::Works& works, KeyEvent event);
int manualTuneKey(core::Works& works, KeyEvent event);
int saveTuneKey(core::Works& works, KeyEvent event);
int bankPageKey(core::Works& works, KeyEvent event);
int filterPageKey(core::Works& works, KeyEvent event);
int statusPageKey(core::Works& works, KeyEvent event);

// Asks the main loop for the current window's background.
void restoreWorkImage(core::Works& works);
// Asks the main loop for a full-screen page's background.
void showPageImage(core::Works& works, const char* name);
// Steps value by one within 0..count - 1, wrapping at both ends.
[[nodiscard]] int32_t wrapStep(int32_t value, int step, int32_t count);

}  // namespace ui
