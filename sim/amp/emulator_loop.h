#pragma once
// The emulator's event loop: frames on the pseudo-terminal, control commands
// on a Unix stream socket (and on standard input when asked), delayed
// replies, until SIGINT or SIGTERM.
#include "sim/amp/emulator_options.h"

namespace sim {

// Returns the exit status: 0 after a signal, 1 when the port or the control
// socket could not be set up.
[[nodiscard]] int runEmulatorLoop(const EmulatorOptions& options);

}  // namespace sim
