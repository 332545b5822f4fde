#pragma once
// The transceiver's auxiliary serial link ("EXT IO"): its message header, its
// parameter blocks and spectrum lines, and the remote spectrum made of them.
// Pure functions over bytes; the thread that reads the port uses them.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "core/record/radio_block.h"

namespace radio {

using core::QorParams;

inline constexpr uint8_t kSpectrumMessage = 0, kParameterMessage = 1;
// A type byte of this or more is not a message start.
inline constexpr uint8_t kFirstNonType = 15;
inline constexpr int kMaxDataLength = 1999;

// The length field: four characters '0' + a hexadecimal digit's value, least
// significant first. A length over kMaxDataLength is cut to it, with the message.
[[nodiscard]] int decodeCmdParameters(std::span<const uint8_t, 4> length);

// Updates the record from one parameter block; words the block does not
// carry keep their values.
void storeParameters(QorParams& params, std::span<const uint8_t> block);

// Spectrum values of a line: data bytes 85 to 938 as dB (byte - 192).
[[nodiscard]] std::vector<float> spectrumValues(std::span<const uint8_t> data);

// The line for the remote client: the first 1024 data bytes rotated by the
// transceiver's spectrum offsets, at most 1024 bytes, none for a line
// without the 170 bytes of margin.
[[nodiscard]] std::vector<uint8_t> remoteSpectrum(const QorParams& params, std::span<const uint8_t> data);

}  // namespace radio
