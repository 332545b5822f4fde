#include "remote/audio_config.h"

#include <opus.h>

#include <mutex>

#include "core/works.h"
#include "platform/log.h"

namespace remote {
namespace {

uint32_t word(std::span<const uint8_t> data, size_t at) {
    return static_cast<uint32_t>(data[at]) << 24 | static_cast<uint32_t>(data[at + 1]) << 16 |
           static_cast<uint32_t>(data[at + 2]) << 8 | data[at + 3];
}

// 2.5, 5, 10 and 20 ms: the Opus frame sizes that fit a chunk slot.
bool opusFrameSize(int32_t frames) {
    return frames == 120 || frames == 240 || frames == 480 || frames == kMostChunkFrames;
}

// side: "to" or "from" the client, for the log.
std::optional<int32_t> chunkFrames(uint32_t microseconds, bool opus, const char* side) {
    const uint64_t frames = static_cast<uint64_t>(microseconds) * 120 / 2500;
    if (frames < 1 || frames > kMostChunkFrames) {
        platform::logError("CF refused: a chunk of %u us holds %llu frames, not 1 to %d", microseconds,
                           static_cast<unsigned long long>(frames), kMostChunkFrames);
        return std::nullopt;
    }
    if (opus && !opusFrameSize(static_cast<int32_t>(frames))) {
        platform::logError(
            "CF refused: Opus %s the client cannot code a chunk of %u us (2500, 5000, 10000 "
            "or 20000)",
            side, microseconds);
        return std::nullopt;
    }
    return static_cast<int32_t>(frames);
}

// No depth would play every chunk as it comes; twice the depth is where a
// ring run ahead is cut back, which the ring must be able to hold.
std::optional<int32_t> jitterDepth(int32_t chunks) {
    if (chunks < 1 || chunks > kMostBufferChunks) {
        platform::logError("CF refused: a jitter depth of %d chunks, not 1 to %d", chunks, kMostBufferChunks);
        return std::nullopt;
    }
    return chunks;
}

}  // namespace

std::optional<AudioConfig> parseAudioConfig(std::span<const uint8_t> data) {
    if (data.size() < kAudioConfigSize) {
        platform::logError("CF refused: %zu bytes instead of %zu", data.size(), kAudioConfigSize);
        return std::nullopt;
    }
    const auto txBitrate = static_cast<int32_t>(word(data, 2));
    const auto rxCoding = static_cast<int32_t>(word(data, 6));
    const std::optional<int32_t> capture = chunkFrames(word(data, 10), txBitrate != 0, "to");
    const std::optional<int32_t> playback = chunkFrames(word(data, 14), rxCoding != 0, "from");
    const std::optional<int32_t> depth = jitterDepth(static_cast<int32_t>(word(data, 18)));
    if (!capture || !playback || !depth) return std::nullopt;
    return AudioConfig{txBitrate, rxCoding, *capture, *playback, *depth};
}

void applyAudioConfig(core::Works& works, const AudioConfig& config) {
    works.txBitrate = config.txBitrate;
    if (works.opusEncoder != nullptr && config.txBitrate != 0) {
        std::lock_guard lock(works.opusEncoderMutex);
        const int error = opus_encoder_ctl(works.opusEncoder, OPUS_SET_BITRATE(config.txBitrate));
        if (error != OPUS_OK) platform::logError("failed to set bitrate: %s", opus_strerror(error));
    }
    works.rxCoding = config.rxCoding;
    works.captureFrames = config.captureFrames;
    works.playbackFrames = config.playbackFrames;
    if (config.bufferChunks != works.bufferChunks) works.buffersChanged = 1;
    works.bufferChunks = config.bufferChunks;
}

}  // namespace remote
