#include "remote/audio_config.h"

#include <opus.h>

#include <mutex>

#include "platform/log.h"

namespace remote {
namespace {

uint32_t word(std::span<const uint8_t> data, size_t at) {
    return static_cast<uint32_t>(data[at]) << 24 | static_cast<uint32_t>(data[at + 1]) << 16 |
           static_cast<uint32_t>(data[at + 2]) << 8 | data[at + 3];
}

std::optional<int32_t> chunkFrames(uint32_t microseconds) {
    const uint64_t frames = static_cast<uint64_t>(microseconds) * 120 / 2500;
    if (frames < 1 || frames > kMostChunkFrames) {
        platform::logError("CF refused: a chunk of %u us holds %llu frames, not 1 to %d", microseconds,
                           static_cast<unsigned long long>(frames), kMostChunkFrames);
        return std::nullopt;
    }
    return static_cast<int32_t>(frames);
}

}  // namespace

std::optional<AudioConfig> parseAudioConfig(std::span<const uint8_t> data) {
    if (data.size() < kAudioConfigSize) {
        platform::logError("CF refused: %zu bytes instead of %zu", data.size(), kAudioConfigSize);
        return std::nullopt;
    }
    const std::optional<int32_t> capture = chunkFrames(word(data, 10));
    const std::optional<int32_t> playback = chunkFrames(word(data, 14));
    if (!capture || !playback) return std::nullopt;
    return AudioConfig{static_cast<int32_t>(word(data, 2)), static_cast<int32_t>(word(data, 6)), *capture,
                       *playback, static_cast<int32_t>(word(data, 18))};
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
