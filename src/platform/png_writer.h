#pragma once
// PNG files of pictures in memory: the simulated display's screenshots.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Rows top to bottom of width x channels samples in PNG order: one byte per
// sample at bit depth 8, two big-endian bytes at 16.
struct PngPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 4;  // 3 RGB, 4 RGBA
    int bitDepth = 8;  // 8 or 16
    std::vector<uint8_t> samples;
};

// The bytes of the PNG file, or nothing for a picture PNG cannot hold as
// given (wrong sample count, channels, depth or size).
std::optional<std::vector<uint8_t>> encodePng(const PngPicture& picture);

// Encodes and writes through a temporary file beside the target, so that a
// viewer watching the file never reads half of it. False when either fails.
bool savePng(const std::string& path, const PngPicture& picture);

}  // namespace platform
