#pragma once
// The frame writers every subsystem sends to the remote client with. Each
// builds its frames and queues them for the connection's writer thread
// (client_writer.h), only while a client is authenticated (the heartbeat and
// "CF" echo once the handshake is answered); none waits on the client.
#include <cstddef>
#include <cstdint>
#include <span>

namespace core {
struct AmpRecord;
struct Works;
}  // namespace core

namespace remote {

void sendWebSockStatusFrame(core::AmpRecord& works, std::span<const uint8_t> data);
// Data over 123 bytes goes out as several frames of the same code.
void sendWebSockCatFrame(core::AmpRecord& works, std::span<const uint8_t> data);
void sendWebSockSerParFrame(core::AmpRecord& works, std::span<const uint8_t> data);
void sendWebSockCfgFrame(core::AmpRecord& works, std::span<const uint8_t> data);
// client: the client's heartbeat data, of which the first 8 bytes go back.
void sendWebSockHebFrame(core::AmpRecord& works, std::span<const uint8_t> client);
// The spectrum as "SP" chunks of 512 bytes.
void sendWebSockSerSpectrFrame(core::AmpRecord& works, std::span<const uint8_t> spectrum);
// One captured chunk of captureFrames stereo S16_LE frames, raw when
// txBitrate is 0 (or there is no encoder), else one Opus packet.
void sendWebSockAudioFrame(core::AmpRecord& works, std::span<const int16_t> chunk);

// The status record of this moment to the authenticated client; the main loop's tick.
void sendStatusToClient(core::Works& works);

}  // namespace remote
