#include "remote/frame_builder.h"

#include <algorithm>

#include "remote/frame_reader.h"

namespace remote {

void putBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

std::vector<uint8_t> shortFrame(std::string_view code, std::span<const uint8_t> data) {
    const size_t count = std::min(data.size(), kShortData);
    std::vector<uint8_t> frame = {kBinaryFrame, static_cast<uint8_t>(count + 2),
                                  static_cast<uint8_t>(code[0]), static_cast<uint8_t>(code[1])};
    frame.insert(frame.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(count));
    return frame;
}

std::vector<uint8_t> longFrame(std::string_view code, std::span<const uint8_t> data) {
    const size_t length = data.size() + 2;
    std::vector<uint8_t> frame = {kBinaryFrame,
                                  kLong16,
                                  static_cast<uint8_t>(length >> 8),
                                  static_cast<uint8_t>(length),
                                  static_cast<uint8_t>(code[0]),
                                  static_cast<uint8_t>(code[1])};
    frame.insert(frame.end(), data.begin(), data.end());
    return frame;
}

void shortestLengthForm(std::vector<uint8_t>& frame) {
    if (frame.size() < 4 || frame[1] != kLong16) return;
    const size_t length = static_cast<size_t>(frame[2]) << 8 | frame[3];
    if (length > kShortLimit) return;
    frame[1] = static_cast<uint8_t>(length);
    frame.erase(frame.begin() + 2, frame.begin() + 4);
}

std::vector<std::vector<uint8_t>> shortFrames(std::string_view code, std::span<const uint8_t> data) {
    std::vector<std::vector<uint8_t>> frames;
    for (size_t offset = 0; offset < data.size(); offset += kShortData)
        frames.push_back(shortFrame(code, data.subspan(offset)));
    return frames;
}

std::vector<uint8_t> spectrumChunk(std::span<const uint8_t> spectrum, uint32_t offset) {
    std::vector<uint8_t> data;
    putBigEndian32(data, static_cast<uint32_t>(spectrum.size()));
    putBigEndian32(data, offset);
    data.resize(8 + kSpectrumChunk, 0);
    if (offset < spectrum.size()) {
        const size_t count = std::min(kSpectrumChunk, spectrum.size() - offset);
        std::copy_n(spectrum.begin() + offset, count, data.begin() + 8);
    }
    return longFrame("SP", data);
}

std::vector<uint8_t> heartbeatFrame(uint32_t seconds, uint32_t microseconds,
                                    std::span<const uint8_t> client) {
    std::vector<uint8_t> data;
    putBigEndian32(data, seconds);
    putBigEndian32(data, microseconds);
    data.resize(16, 0);
    std::copy_n(client.begin(), std::min<size_t>(client.size(), 8), data.begin() + 8);
    return shortFrame("HB", data);
}

}  // namespace remote
