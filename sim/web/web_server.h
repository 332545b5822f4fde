#pragma once
// The web front end of the simulated station: serves the page, streams the
// screen and the emulators' state to it as server-sent events, and passes
// its key presses to the panel channel and its commands to the emulators'
// control channels. Loopback only unless told to listen elsewhere.
#include "sim/web/web_options.h"

namespace sim::web {

// Runs until SIGINT or SIGTERM; the exit status. Prints
// "brisel-sim-web ready http://ADDRESS:PORT/" once it listens, and says why
// when it cannot (a port in use, for one).
int serveStation(const WebOptions& options);

}  // namespace sim::web
