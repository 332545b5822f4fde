#pragma once
// The button bar under the screen: six boxes with two-line labels for the
// current screen state, a mark under the buttons with a long-press function,
// and then the dialogs drawn over the screen: menu rows and pages, error
// keys and the transmit indicator.
#include "core/record/radio_block.h"

namespace core {
struct Works;
}  // namespace core

namespace ui {

// Once per main-loop tick; the caller holds the frame's composeLock.
void LoadButtons(core::Works& works, const core::QorParams& transceiver);
// The red "TX" box while the amplifier transmits on a meter window.
void ViewStatusTX(core::Works& works);

}  // namespace ui
