#pragma once

namespace core {
struct Works;
}  // namespace core

namespace ui {

// Starts the installation's remote service shell, so that a technician can
// reach the unit; from the service keyboard and the settings menu.
void RemoteConnection(core::Works& works);

}  // namespace ui
