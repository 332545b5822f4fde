#include "sim/remote/client_audio.h"

#include <algorithm>
#include <cstring>

namespace remote_client {

AudioReceiver::~AudioReceiver() {
    if (decoder_ != nullptr) opus_decoder_destroy(decoder_);
}

bool AudioReceiver::open(const std::string& path, bool opus) {
    if (opus) {
        int error = 0;
        decoder_ = opus_decoder_create(48000, 2, &error);
        if (error != OPUS_OK) return false;
    }
    return wav_.open(path);
}

bool AudioReceiver::add(std::span<const uint8_t> chunk) {
    if (decoder_ == nullptr) {
        const size_t frames = chunk.size() / 4;
        std::vector<int16_t> samples(frames * 2);
        std::memcpy(samples.data(), chunk.data(), frames * 4);
        wav_.write(samples.data(), frames);
        frames_ += frames;
        return true;
    }
    // 120 ms, the longest Opus packet.
    std::vector<int16_t> samples(5760 * 2);
    const int frames =
        opus_decode(decoder_, chunk.data(), static_cast<opus_int32>(chunk.size()), samples.data(), 5760, 0);
    if (frames < 0) return false;
    wav_.write(samples.data(), static_cast<size_t>(frames));
    frames_ += static_cast<size_t>(frames);
    return true;
}

AudioSender::~AudioSender() {
    if (encoder_ != nullptr) opus_encoder_destroy(encoder_);
}

bool AudioSender::open(const std::string& path, int chunkFrames, bool opus, std::string& error) {
    std::optional<std::vector<int16_t>> samples = readWav(path, error);
    if (!samples) return false;
    samples_ = std::move(*samples);
    chunkFrames_ = chunkFrames;
    if (opus) {
        int status = 0;
        encoder_ = opus_encoder_create(48000, 2, OPUS_APPLICATION_AUDIO, &status);
        if (status != OPUS_OK) {
            error = std::string("Opus encoder: ") + opus_strerror(status);
            return false;
        }
    }
    return true;
}

std::vector<uint8_t> AudioSender::next() {
    if (at_ >= samples_.size()) return {};
    std::vector<int16_t> chunk(static_cast<size_t>(chunkFrames_) * 2, 0);
    const size_t count = std::min(chunk.size(), samples_.size() - at_);
    std::copy_n(samples_.begin() + static_cast<ptrdiff_t>(at_), count, chunk.begin());
    at_ += count;
    if (encoder_ == nullptr) {
        std::vector<uint8_t> raw(chunk.size() * 2);
        std::memcpy(raw.data(), chunk.data(), raw.size());
        return raw;
    }
    std::vector<uint8_t> packet(1000);
    const int length = opus_encode(encoder_, chunk.data(), chunkFrames_, packet.data(),
                                   static_cast<opus_int32>(packet.size()));
    packet.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return packet;
}

}  // namespace remote_client
