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
// After the type byte: the marker and the four length characters.
inline constexpr size_t kHeaderSize = 5;

// The length field: four characters '0' + a hexadecimal digit's value, least
// significant first. A length over kMaxDataLength is cut to it, with the message.
[[nodiscard]] int decodeCmdParameters(std::span<const uint8_t, 4> length);

// Whether the header after a type byte starts a spectrum line or a parameter
// block: the type's own marker ('0' + type) and four length characters '0'
// to '?'. Bytes from the middle of a message nearly never are.
[[nodiscard]] bool headerConsistent(uint8_t type, std::span<const uint8_t, kHeaderSize> header);

// Whether the bytes already waiting after a message's data (none when the
// stream pauses there) can start the next message, as far as they go. A
// message cut short is completed from the bytes of the next one and ends
// inside it, where no message starts.
[[nodiscard]] bool nextMessageCanStart(std::span<const uint8_t> following);

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
