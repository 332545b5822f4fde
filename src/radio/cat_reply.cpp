#include "radio/cat_reply.h"

#include <algorithm>
#include <array>

namespace radio {
namespace {

constexpr uint8_t kNarrowFilter = 0x80;
// LSB, USB, CW, CWR, AM, WFM, FM, DIG, PKT.
constexpr std::array<uint8_t, 9> kModes{0x00, 0x01, 0x02, 0x03, 0x04, 0x06, 0x08, 0x0A, 0x0C};

}  // namespace

bool VerifyByteFreq(uint8_t byte) {
    return (byte & 0x0F) > 9 || (byte >> 4) > 9;
}

bool knownCatMode(uint8_t mode) {
    return std::ranges::find(kModes, static_cast<uint8_t>(mode & ~kNarrowFilter)) != kModes.end();
}

std::optional<int32_t> decodeCatFrequency(std::span<const uint8_t, kCatReplySize> reply) {
    if (!knownCatMode(reply[4])) return std::nullopt;
    static constexpr int32_t kWeights[] = {10'000'000, 100'000, 1'000, 10};
    int32_t frequency = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (VerifyByteFreq(reply[i])) return std::nullopt;
        frequency += ((reply[i] >> 4) * 10 + (reply[i] & 0x0F)) * kWeights[i];
    }
    return frequency;
}

}  // namespace radio
