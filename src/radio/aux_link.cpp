#include "radio/aux_link.h"

#include <algorithm>
#include <cstdlib>

#include "platform/log.h"

namespace radio {
namespace {

bool bit(uint8_t byte, int n) {
    return ((byte >> n) & 1) != 0;
}

// A setting that is off keeps its last level as a negative value.
void keptNegative(int32_t& word, int32_t field, int32_t fallback = 0) {
    if (field != 0) {
        word = field;
        return;
    }
    word = -std::abs(word);
    if (word == 0) word = fallback;
}

uint32_t nibbles(std::span<const uint8_t> bytes) {
    uint32_t value = 0;
    for (uint8_t byte : bytes) value = value << 4 | (byte & 0x0Fu);
    return value;
}

bool marked(std::span<const uint8_t> block, size_t index, uint8_t mask, uint8_t pattern) {
    return block.size() > index && (block[index] & mask) == pattern;
}

// As far as the bytes go: the type's marker, then length characters.
bool headerFits(uint8_t type, std::span<const uint8_t> header) {
    if (!header.empty() && header[0] != '0' + type) return false;
    for (size_t i = 1; i < header.size(); ++i)
        if (header[i] < '0' || header[i] > '0' + 15) return false;
    return true;
}

}  // namespace

int decodeCmdParameters(std::span<const uint8_t, 4> length) {
    int value = 0;
    for (size_t i = 4; i-- > 0;) value = value << 4 | ((length[i] - '0') & 0x0F);
    if (value > kMaxDataLength) {
        platform::trace("----------> 3SERIAL : ERROR dataLength %d   %s!!!!!!\n", value, "EXT IO");
        value = kMaxDataLength;
    }
    return value;
}

bool headerConsistent(uint8_t type, std::span<const uint8_t, kHeaderSize> header) {
    return (type == kSpectrumMessage || type == kParameterMessage) && headerFits(type, header);
}

bool nextMessageCanStart(std::span<const uint8_t> following) {
    if (following.empty()) return true;
    const uint8_t type = following[0];
    if (type >= kFirstNonType) return false;
    // Types the link does not use have no header of a known form.
    if (type != kSpectrumMessage && type != kParameterMessage) return true;
    return headerFits(type, following.subspan(1, std::min(following.size() - 1, kHeaderSize)));
}

void storeParameters(QorParams& w, std::span<const uint8_t> block) {
    if (block.size() < 9) return;
    const uint8_t b0 = block[0];
    w[0] = bit(b0, 6);
    w[1] = bit(b0, 5);
    w[2] = bit(b0, 4);
    w[50] = bit(b0, 0);
    w[51] = (b0 >> 2) & 3;
    w[4] = static_cast<int32_t>(nibbles(block.subspan(1, 8)));
    if (w[50] != 0)
        w[7] = w[4];
    else
        (w[2] != 0 ? w[6] : w[5]) = w[4];
    w[8] = w[9];
    w[9] = w[50] != 0 ? w[7] : (w[1] != 0 ? w[6] : w[5]);

    if (marked(block, 9, 0x80, 0x80)) {
        const uint8_t b = block[9];
        w[10] = bit(b, 6);
        w[11] = bit(b, 5);
        w[12] = bit(b, 4);
        w[14] = b & 0x0F;
        (w[2] != 0 ? w[16] : w[15]) = w[14];
        w[13] = w[1] != 0 ? w[16] : w[15];
    }
    w[3] = w[11] != 0 ? w[6] : w[9];

    if (marked(block, 10, 0xC0, 0x40)) {
        const uint8_t b = block[10];
        w[17] = (b >> 4) & 3;
        w[18] = bit(b, 3) ? -1 : 1;
        w[19] = bit(b, 2) ? -1 : 1;
        w[20] = bit(b, 1) ? -1 : 1;
        w[22] = bit(b, 0) ? 1 : -1;
    }
    if (marked(block, 11, 0xC0, 0x40)) {
        const uint8_t b = block[11];
        keptNegative(w[23], b & 0x0F, -1);
        w[48] = bit(b, 5);
        w[49] = bit(b, 4);
    }
    if (marked(block, 13, 0xC0, 0x40)) {
        const uint8_t b13 = block[13];
        keptNegative(w[25], b13 & 0x0F);
        w[31] = bit(b13, 5);
        w[32] = bit(b13, 4);
        if (marked(block, 12, 0x80, 0x80)) {
            const uint8_t b12 = block[12];
            w[24] = bit(b12, 2);
            keptNegative(w[26], b12 & 3);
            keptNegative(w[27], (b12 >> 3) & 0x0F);
            w[28] = w[24] == 0 ? ((b12 >> 3) & 0x0F) + 1 : (b13 & 0x0F) + 5;
        }
    }
    if (marked(block, 14, 0xF0, 0x30)) keptNegative(w[29], block[14] & 0x0F, -1);
    if (marked(block, 15, 0xF0, 0x30)) keptNegative(w[30], block[15] & 0x0F, -1);
    if (marked(block, 16, 0xE0, 0x60)) w[33] = (block[16] & 0x1F) + 1;
    if (marked(block, 17, 0xE0, 0x60)) w[34] = (block[17] & 0x1F) + 1;
    if (marked(block, 18, 0xF0, 0x30)) w[35] = (block[18] & 0x0F) + 1;
    if (marked(block, 19, 0xE0, 0x60)) {
        w[36] = ((block[19] >> 2) & 7) + 1;
        w[37] = (block[19] & 3) + 1;
    }
    if (marked(block, 20, 0xC0, 0x40)) {
        const uint8_t b = block[20];
        keptNegative(w[38], bit(b, 4), -1);
        keptNegative(w[39], bit(b, 3), -1);
        keptNegative(w[40], (b >> 1) & 3, -1);
        w[41] = bit(b, 0) ? 1 : -1;
    }
    if (block.size() > 21) w[46] = block[21] - 211;
    if (block.size() > 22) {
        const int32_t volume = block[22] & 0x7F;
        switch (w[17]) {
            case 0:
                keptNegative(w[42], volume, 50);
                break;
            case 1:
                keptNegative(w[43], volume, 50);
                break;
            default:
                keptNegative(w[44], volume, 5);
                break;
        }
    }
    if (block.size() > 25) w[45] = static_cast<int32_t>(nibbles(block.subspan(23, 3)));
    if (block.size() > 30) {
        const uint32_t raw = nibbles(block.subspan(26, 5));
        w[47] = (raw & 0x80000) != 0 ? static_cast<int32_t>(raw) - 0x100000 : static_cast<int32_t>(raw);
    }
}

std::vector<float> spectrumValues(std::span<const uint8_t> data) {
    std::vector<float> values;
    for (size_t i = 85; i < data.size() && i < 85 + 854; ++i)
        values.push_back(static_cast<float>(data[i]) - 192.0f);
    return values;
}

std::vector<uint8_t> remoteSpectrum(const QorParams& params, std::span<const uint8_t> data) {
    constexpr size_t kRing = 1024;
    if (data.size() <= 170) return {};
    const int32_t mode = params[13];
    const float a = mode == 4   ? static_cast<float>(params[45]) * -0.005333f
                    : mode == 6 ? static_cast<float>(params[45]) * 0.005333f
                                : 0.0f;
    const float s = a + static_cast<float>(params[47]) * 0.005333f + 85.0f;
    const int start = s < 0 ? static_cast<int>(s + 1024.0f) : static_cast<int>(s);
    // Offsets of more than a whole ring either way still land inside it.
    const size_t k0 = static_cast<size_t>(((start % 1024) + 1024) % 1024);
    std::vector<uint8_t> out(std::min(kRing, data.size() - 170));
    for (size_t j = 0; j < out.size(); ++j) {
        const size_t at = (k0 + j) % kRing;
        out[j] = at < data.size() ? data[at] : 0;
    }
    return out;
}

}  // namespace radio
