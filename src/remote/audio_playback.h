#pragma once
// The operator's audio out of the playback ring onto the transceiver's
// microphone input.

namespace core {
struct Works;
}  // namespace core

namespace remote {

// The playback thread: while EnableWrite is '1', opens the playback device,
// waits for a client, plays the ring under MyRecCallback while the client
// stays, and reopens for the next one. When EnableWrite drops it ends by
// itself; nothing else stops.
void th_scrivi(core::Works& works);

}  // namespace remote
