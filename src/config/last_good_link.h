#pragma once
#include "core/works.h"

namespace config {

// Removes the marker that tells the update process the new software is
// still unconfirmed.
void DeleteLastGoodLink(core::Works& works);

}  // namespace config
