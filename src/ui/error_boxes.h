#pragma once
// The error boxes along the bottom of the plain main screen: the newest six
// listed errors, newest on the left, red for alarms and orange otherwise.

namespace core {
struct Works;
}  // namespace core

namespace ui {

void DrawError(core::Works& works);

}  // namespace ui
