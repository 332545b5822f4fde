#pragma once
// The transceiver's side of its auxiliary serial link: the binary messages
// it streams, made from its state. Pure functions over bytes.
//
// Apart from the message's type byte, every byte the encoder writes is 15 or
// more, so a reader that joins in the middle of the stream finds the next
// message start and never takes a data byte for one.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

struct QorState {
    uint32_t frequency = 14'250'000;  // receiver A, Hz
    // The radio's own mode number; 4 and 6 would shift the remote spectrum by
    // the offsets, which this radio leaves at 0.
    uint8_t mode = 1;
    bool transmitting = false;
    uint8_t antenna = 0;  // input 1 to 3, 0 none
    uint8_t volume = 50;  // main volume, 0 to 127
    bool audio = true;
    uint8_t squelch = 3;  // 0 (off) to 15
};

inline constexpr uint8_t kQorSpectrumType = 0, kQorParameterType = 1;
// Data bytes 85 to 938 of a line carry the plot; the remote client takes 1024
// bytes rotated from the start and the line carries 170 bytes besides.
inline constexpr size_t kSpectrumLineBytes = 1024 + 170;
inline constexpr size_t kParameterBlockBytes = 31;
// The line's centre: the operating frequency.
inline constexpr size_t kSpectrumCentre = 85 + 427;

// Type byte, marker ('0' spectrum, '1' parameters), the data length as four
// characters '0' + a hexadecimal digit, least significant first, the data.
[[nodiscard]] std::vector<uint8_t> qorMessage(uint8_t type, const std::vector<uint8_t>& data);

[[nodiscard]] std::vector<uint8_t> parameterBlock(const QorState& state);

// One spectrum line, bytes dB + 192: a noise floor varying from line to line,
// two stations at fixed offsets and, while transmitting, the carrier at the
// centre.
[[nodiscard]] std::vector<uint8_t> spectrumLine(const QorState& state, uint32_t lineNumber);

}  // namespace sim
