#pragma once
// 16-bit PCM WAV files, 48 kHz stereo as the station's audio: the client
// writes what it receives into one and sends one as the operator's audio.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace remote_client {

class WavWriter {
  public:
    WavWriter() = default;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;
    // Completes the header with the final length.
    ~WavWriter();

    [[nodiscard]] bool open(const std::string& path);
    void write(const int16_t* samples, size_t frames);

  private:
    void writeHeader();

    std::FILE* file_ = nullptr;
    uint32_t frames_ = 0;
};

// The interleaved stereo samples of a 16-bit PCM WAV file at 48 kHz;
// nothing (with the reason) for any other file.
[[nodiscard]] std::optional<std::vector<int16_t>> readWav(const std::string& path, std::string& error);

}  // namespace remote_client
