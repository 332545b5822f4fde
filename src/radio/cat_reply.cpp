#include "radio/cat_reply.h"

namespace radio {

bool VerifyByteFreq(uint8_t byte) {
    return (byte & 0x0F) > 9 || (byte >> 4) > 9;
}

std::optional<int32_t> decodeCatFrequency(std::span<const uint8_t, kCatReplySize> reply) {
    static constexpr int32_t kWeights[] = {10'000'000, 100'000, 1'000, 10};
    int32_t frequency = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (VerifyByteFreq(reply[i])) return std::nullopt;
        frequency += ((reply[i] >> 4) * 10 + (reply[i] & 0x0F)) * kWeights[i];
    }
    return frequency;
}

}  // namespace radio
