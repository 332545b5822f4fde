#pragma once
// Installs the network service's share of the panel into the record.
#include "core/works.h"

namespace net {

void InstallNetHooks(core::Works& works);

}  // namespace net
