#pragma once
// The playback ring of the operator's audio: 200 chunk slots of up to 960
// stereo frames. Received chunks go in slot by slot (the WebSocket thread);
// the playback device takes them out 48 frames at a time (its period
// handler), which also keeps the fill near bufferChunks chunks.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/sound.h"

namespace core {
struct AmpRecord;
struct Works;
}  // namespace core

namespace remote {

class PlaybackNotes;

inline constexpr int32_t kRingSlots = 200;
inline constexpr int32_t kSlotFrames = 960;
// One millisecond at 48,000 frames/s: what the period handler writes at a time.
inline constexpr int32_t kPeriodFrames = 48;

// The ring's storage, made once for the whole run: the WebSocket thread may
// still be writing a chunk when the playback thread ends.
[[nodiscard]] int16_t* playbackRingStorage();

// A received "SO" chunk into slot sndWriteIdx: raw samples (cut to the
// slot) or an Opus packet (silence when it does not decode). Dropped unless
// playback is enabled and its device configured. True when stored.
bool storeReceivedAudio(core::Works& works, std::span<const uint8_t> data);

// A client has been let in, or the transceiver has disabled its audio:
// collect bufferChunks chunks before playing.
void restartRing(core::AmpRecord& works);

// The transceiver's audio-enable word, read under serMut: the operator's
// audio is dropped while it is not positive.
[[nodiscard]] bool transceiverTakesAudio(core::Works& works);

// Before the period handler runs: the device's first four periods (192
// frames) from the start of the ring.
void writeFirstPeriods(core::Works& works, platform::PcmStream& device);

// The playback device's period handler: feeds it one 48-frame period at a
// time while it has room, silence until the pre-fill is in, and corrects the
// fill each time the read index wraps. It may run as a signal handler: what
// it has to report goes to notes, for the playback thread to print.
void MyRecCallback(core::Works& works, platform::PcmStream& device, PlaybackNotes& notes);

}  // namespace remote
