#pragma once

namespace core {
struct AmpRecord;
}  // namespace core

namespace config {

// Removes the marker that tells the update process the new software is
// still unconfirmed.
void DeleteLastGoodLink(core::AmpRecord& works);

}  // namespace config
