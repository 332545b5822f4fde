#pragma once
// The one Opus encoder and decoder of the remote audio, 48 kHz stereo.

namespace core {
struct Works;
}  // namespace core

namespace remote {

// A codec that cannot be made leaves its direction raw (txBitrate or rxCoding 0).
void createOpusCodecs(core::Works& works);
void destroyOpusCodecs(core::Works& works);

}  // namespace remote
