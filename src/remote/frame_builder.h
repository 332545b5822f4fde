#pragma once
// The frames the system sends, built as bytes: short binary (length byte
// up to 125), long binary (126 and a 16-bit length), each with its
// 2-character code first. All numbers big-endian.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace remote {

// Data a short frame can carry after its code.
inline constexpr size_t kShortData = 123;
inline constexpr size_t kSpectrumChunk = 512;

[[nodiscard]] std::vector<uint8_t> shortFrame(std::string_view code, std::span<const uint8_t> data);
[[nodiscard]] std::vector<uint8_t> longFrame(std::string_view code, std::span<const uint8_t> data);

// Data longer than a short frame carries, cut into short frames of the same code in order.
[[nodiscard]] std::vector<std::vector<uint8_t>> shortFrames(std::string_view code,
                                                            std::span<const uint8_t> data);

// The "SP" chunk at offset of a spectrum of spectrum.size() bytes: the total,
// the offset and 512 bytes; those past the end of the spectrum are zero.
[[nodiscard]] std::vector<uint8_t> spectrumChunk(std::span<const uint8_t> spectrum, uint32_t offset);

// The "HB" answer: the system's time and the first 8 bytes of the client's heartbeat.
[[nodiscard]] std::vector<uint8_t> heartbeatFrame(uint32_t seconds, uint32_t microseconds,
                                                  std::span<const uint8_t> client);

// A browser fails the connection on a length not in its shortest form: a
// long frame that a short one could carry becomes that short frame.
void shortestLengthForm(std::vector<uint8_t>& frame);

void putBigEndian32(std::vector<uint8_t>& out, uint32_t value);

}  // namespace remote
