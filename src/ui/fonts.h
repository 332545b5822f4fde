#pragma once

namespace core {
struct Works;
}  // namespace core

namespace ui {

// The faces of the front panel, in their slots (slot 3 stays empty).
void loadFonts(core::Works& works);

}  // namespace ui
