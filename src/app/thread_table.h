#pragma once
// The bodies of the station's threads: the one place that knows the thread
// entry of every subsystem.
#include "core/threads.h"

namespace app {

void registerThreadBodies(core::ThreadSet& threads);

}  // namespace app
