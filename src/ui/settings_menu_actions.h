#pragma once
// The settings menu's actions beyond storing a value: the use mode, the
// updates and the complete reset. They run on the key thread and never draw.

namespace core {
struct Works;
}  // namespace core

namespace ui {

// "Use Mode" minus or plus: back to Local, or to Remote when the remote
// prerequisites hold.
void switchUseMode(core::Works& works);
// "Use Mode" ENTER: stops or starts the remote threads as the mode says.
void applyUseMode(core::Works& works);
void confirmSoftwareUpdate(core::Works& works);
void confirmFirmwareUpdate(core::Works& works);
// "Factory Default" ENTER while armed: the factory default, then the item
// reads "Factory Default" again.
void factoryDefault(core::Works& works);
// "Advanced Default" ENTER while armed: every setting back to the unit's
// first state, then a reboot.
void completeReset(core::Works& works);

}  // namespace ui
