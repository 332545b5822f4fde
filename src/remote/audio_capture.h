#pragma once
// The transceiver's receive audio to the remote client.

namespace core {
struct Works;
}  // namespace core

namespace remote {

// The capture thread: reads captureFrames frames at a time while EnableRead
// is '1' and hands each chunk to the audio frame writer, client or not.
void th_leggi(core::Works& works);

}  // namespace remote
