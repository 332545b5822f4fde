#pragma once
// The client's audio configuration ("CF"): bit rate towards the client,
// coding of the audio it sends, the two chunk durations and the jitter
// depth, all big-endian 32-bit after two bytes that are only echoed.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "remote/playback_ring.h"

namespace core {
struct Works;
}  // namespace core

namespace remote {

inline constexpr size_t kAudioConfigSize = 22;
// The leading data bytes sent back in the "CF" echo.
inline constexpr size_t kAudioConfigEcho = 18;
// 20 ms at 48,000 frames/s: the most an audio chunk may hold.
inline constexpr int32_t kMostChunkFrames = kSlotFrames;
// Half the playback ring: a deeper pre-fill leaves no room for the network to run ahead.
inline constexpr int32_t kMostBufferChunks = kRingSlots / 2;

struct AudioConfig {
    int32_t txBitrate = 0;
    int32_t rxCoding = 0;
    int32_t captureFrames = 0;
    int32_t playbackFrames = 0;
    int32_t bufferChunks = 0;
};

// Chunk durations in microseconds become frame counts at 48 kHz. Nothing
// (the refusal logged) when the message is too short, a chunk would hold no
// frame or more than 960, a chunk coded with Opus is not one of its frame
// sizes (2.5, 5, 10 or 20 ms), or the jitter depth is not 1 to half the
// playback ring.
[[nodiscard]] std::optional<AudioConfig> parseAudioConfig(std::span<const uint8_t> data);

// Stores the values and sets the encoder's bit rate.
void applyAudioConfig(core::Works& works, const AudioConfig& config);

}  // namespace remote
