#pragma once
#include "core/works.h"

namespace ui {

// The faces of the front panel, in their slots (slot 3 stays empty).
void loadFonts(core::Works& works);

}  // namespace ui
