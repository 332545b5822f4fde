#pragma once
// The client's two audio directions: received "SO" chunks (Opus packets or
// raw samples) decoded into a WAV file, and a WAV file cut into chunks for
// "SO" messages, Opus-encoded or raw.
#include <opus.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/remote/wav_file.h"

namespace remote_client {

class AudioReceiver {
  public:
    AudioReceiver() = default;
    AudioReceiver(const AudioReceiver&) = delete;
    AudioReceiver& operator=(const AudioReceiver&) = delete;
    ~AudioReceiver();

    // opus: the station sends Opus packets (its bit rate is not 0).
    [[nodiscard]] bool open(const std::string& path, bool opus);
    // One "SO" chunk; false when it does not decode.
    bool add(std::span<const uint8_t> chunk);
    [[nodiscard]] size_t frames() const { return frames_; }

  private:
    WavWriter wav_;
    OpusDecoder* decoder_ = nullptr;
    size_t frames_ = 0;
};

class AudioSender {
  public:
    AudioSender() = default;
    AudioSender(const AudioSender&) = delete;
    AudioSender& operator=(const AudioSender&) = delete;
    ~AudioSender();

    // chunkFrames: the playback chunk the station expects; opus: the coding
    // the client announced (rxCoding not 0). Opus takes 2.5 to 60 ms chunks.
    [[nodiscard]] bool open(const std::string& path, int chunkFrames, bool opus, std::string& error);
    // The next chunk's message data; empty once the file is sent.
    std::vector<uint8_t> next();
    [[nodiscard]] int chunkFrames() const { return chunkFrames_; }

  private:
    std::vector<int16_t> samples_;
    size_t at_ = 0;  // next sample
    int chunkFrames_ = 0;
    OpusEncoder* encoder_ = nullptr;
};

}  // namespace remote_client
