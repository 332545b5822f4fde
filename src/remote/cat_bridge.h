#pragma once
// The CAT bridge: the transceiver's replies on its CAT port go to the remote
// client as "CA" messages, one complete reply (ending in ';') each. What the
// client sends the other way the WebSocket thread writes to catFD.

namespace core {
struct Works;
}  // namespace core

namespace remote {

// The bridge thread: finds the port, then forwards replies while EnableCAT is '1'.
void Cat(core::Works& works);

// Closes the bridge: lets go of the port (it closes once the bridge thread
// has let go too), EnableCAT down, error 20.
void ExitCAT(core::Works& works);

}  // namespace remote
