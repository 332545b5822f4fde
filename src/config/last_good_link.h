#pragma once

namespace core {
struct Works;
}  // namespace core

namespace config {

// Removes the marker that tells the update process the new software is
// still unconfirmed.
void DeleteLastGoodLink(core::Works& works);

}  // namespace config
