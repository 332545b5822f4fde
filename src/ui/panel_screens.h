#pragma once
// The full-screen pictures of start-up and shutdown: a background image,
// optionally with one line of white text.

namespace core {
struct Works;
}  // namespace core

namespace ui {

// "start120" for the 120 W model, else "start".
[[nodiscard]] const char* startImage(core::Works& works);
// Loads the image as background and shows it; nothing without a display.
void showBackground(core::Works& works, const char* name);
// Shows the background with a white line of text in font slot 9.
void showBackgroundText(core::Works& works, int x, int y, const char* text);

}  // namespace ui
