#pragma once
// The web front end of the simulated station: serves the page, streams the
// screen and the emulator's state to it as server-sent events, and passes
// its key presses to the panel channel and its commands to the amplifier
// emulator's control channel. Loopback only.
#include "web/web_options.h"

namespace sim::web {

// Runs until SIGINT or SIGTERM; the exit status. Prints
// "brisel-sim-web ready http://127.0.0.1:PORT/" once it listens.
int serveStation(const WebOptions& options);

}  // namespace sim::web
