#pragma once
// The whole life of the process: start-up in its fixed order, the wait for
// the run flag to drop, and the shutdown.
#include "platform/platform.h"

namespace app {

inline constexpr const char* kSoftwareVersion = BRISEL_VERSION;

// Returns the process exit status.
int runStation(platform::Platform& machine);

}  // namespace app
