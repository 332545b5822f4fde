#include "sim/qor/qor_stream.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace sim {
namespace {

constexpr int kByteOfZeroDb = 192;
constexpr int kNoiseFloorDb = -96;
constexpr int kCarrierDb = -15;

struct Station {
    int offset;  // bins from the centre
    int level;   // dB at its peak
};
constexpr std::array<Station, 2> kStations{{{150, -73}, {-230, -85}}};

// A character '0' + value: the link's digits, always 48 or more.
uint8_t digit(uint32_t value) {
    return static_cast<uint8_t>('0' + (value & 0x0F));
}

// A few dB up or down, the same for the same line and bin.
int wobble(uint32_t lineNumber, size_t bin) {
    uint32_t x = lineNumber * 0x9E3779B1u ^ static_cast<uint32_t>(bin) * 0x85EBCA77u;
    x ^= x >> 15;
    x *= 0x2C1B3C6Du;
    x ^= x >> 12;
    return static_cast<int>(x % 7) - 3;
}

}  // namespace

std::vector<uint8_t> qorMessage(uint8_t type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> message{type, digit(type)};
    const auto length = static_cast<uint32_t>(data.size());
    for (int shift = 0; shift < 16; shift += 4) message.push_back(digit(length >> shift));
    message.insert(message.end(), data.begin(), data.end());
    return message;
}

std::vector<uint8_t> parameterBlock(const QorState& state) {
    std::vector<uint8_t> block(kParameterBlockBytes);
    // Byte 0: bit 6 the transmit flag; bit 7 only keeps the byte clear of a
    // type byte. Receiver A active, its own frequency.
    block[0] = static_cast<uint8_t>(0x80 | (state.transmitting ? 0x40 : 0));
    // The frequency as eight hexadecimal digits, most significant first.
    for (int i = 0; i < 8; ++i) block[1 + i] = digit(state.frequency >> (28 - 4 * i));
    // Each byte from 9 on carries the marker bits that make the reader take it.
    block[9] = static_cast<uint8_t>(0x80 | (state.mode & 0x0F));
    // Bits 4-5 at 0: byte 22 carries the main volume.
    block[10] = static_cast<uint8_t>(0x40 | (state.audio ? 1 : 0));
    block[11] = static_cast<uint8_t>(0x40 | (state.squelch & 0x0F));
    // The receiver's remaining settings, fixed at mid values.
    block[12] = 0x80 | 6 << 3 | 2;
    block[13] = 0x40 | 5;
    block[14] = 0x30;  // noise reduction off
    block[15] = 0x30;  // noise blanker off
    block[16] = 0x60 | 4;
    block[17] = 0x60 | 4;
    block[18] = 0x30 | 2;
    block[19] = 0x60 | 1 << 2 | 1;
    // Attenuator and low-pass off.
    block[20] = static_cast<uint8_t>(0x40 | (state.antenna & 3) << 1);
    block[21] = 211;  // the value 0
    // Bit 7 is not read; it keeps a low volume clear of a type byte.
    block[22] = static_cast<uint8_t>(0x80 | (state.volume & 0x7F));
    // Bytes 23-30: both spectrum offsets 0.
    std::fill(block.begin() + 23, block.end(), digit(0));
    return block;
}

std::vector<uint8_t> spectrumLine(const QorState& state, uint32_t lineNumber) {
    std::vector<uint8_t> line(kSpectrumLineBytes);
    for (size_t bin = 0; bin < line.size(); ++bin) {
        const int offset = static_cast<int>(bin) - static_cast<int>(kSpectrumCentre);
        int db = kNoiseFloorDb;
        for (const Station& station : kStations) {
            // A peak with skirts 6 dB down either side.
            const int away = std::abs(offset - station.offset);
            if (away <= 1) db = std::max(db, station.level - 6 * away);
        }
        if (state.transmitting && std::abs(offset) <= 1) db = kCarrierDb - 6 * std::abs(offset);
        db += wobble(lineNumber, bin);
        line[bin] = static_cast<uint8_t>(std::clamp(db + kByteOfZeroDb, 15, 255));
    }
    return line;
}

}  // namespace sim
