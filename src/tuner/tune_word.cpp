#include "tuner/tune_word.h"

#include <array>

#include "platform/log.h"

namespace tuner {
namespace {

// Word bit of each index bit, weight 1 first.
constexpr std::array<int, 9> kCapacitorBits{15, 2, 4, 6, 14, 12, 10, 8, 20};
constexpr std::array<int, 9> kInductorBits{1, 3, 5, 7, 13, 11, 9, 19, 21};

uint32_t withIndex(uint32_t word, int32_t index, uint32_t mask, const std::array<int, 9>& bits) {
    word &= ~mask;
    for (size_t bit = 0; bit < bits.size(); ++bit)
        if ((index >> bit) & 1) word |= 1u << bits[bit];
    return word;
}

int32_t indexOf(uint32_t word, const std::array<int, 9>& bits) {
    int32_t index = 0;
    for (size_t bit = 0; bit < bits.size(); ++bit)
        if ((word >> bits[bit]) & 1u) index |= 1 << bit;
    return index;
}

}  // namespace

uint32_t withCapacitor(uint32_t word, int32_t c) { return withIndex(word, c, kCapacitorMask, kCapacitorBits); }

uint32_t withInductor(uint32_t word, int32_t l) { return withIndex(word, l, kInductorMask, kInductorBits); }

void SetC(core::Works& works, int32_t c) { works.tuneValue = withCapacitor(works.tuneValue, c); }

void SetI(core::Works& works, int32_t l) { works.tuneValue = withInductor(works.tuneValue, l); }

int32_t DecodeCapacitaFromTuneval(uint32_t word) { return indexOf(word, kCapacitorBits); }

int32_t DecodeInduttanzaFromTuneval(uint32_t word) { return indexOf(word, kInductorBits); }

uint8_t DecodeModoFromTuneval(uint32_t word) {
    uint32_t bits = word & kModeMask;
    switch (bits) {
        case 0: return kModeNone;
        case kModeCLBit: return kModeCL;
        case kModeLCBit: return kModeLC;
        case kBypassBit: return kModeBypass;
        default:
            platform::trace("DecodeModoFromTuneval -> tune: 0x%x \n", bits);
            return kModeNone;
    }
}

void ReadTnePar(core::Works& works) {
    uint32_t word = works.tuneValue;
    works.tuneC = DecodeCapacitaFromTuneval(word);
    works.tuneL = DecodeInduttanzaFromTuneval(word);
    uint8_t mode = DecodeModoFromTuneval(word);
    works.tuneMode = mode;
    if (mode == kModeNone) SetMode(works, kModeBypass);
}

void SetMode(core::Works& works, uint8_t mode) {
    works.tuneMode = mode;
    uint32_t modeBit = 0;
    switch (mode) {
        case kModeNone:
        case kModeBypass: modeBit = kBypassBit; break;
        case kModeCL: modeBit = kModeCLBit; break;
        case kModeLC: modeBit = kModeLCBit; break;
        default: return;
    }
    works.tuneValue = (works.tuneValue & ~kModeMask) | modeBit;
    works.tunerBypass = modeBit == kBypassBit ? 1 : 0;
}

void WaitSemaforoTuneval(core::Works& works) { works.tuneLock.lock(); }

void StopSemaforoTuneval(core::Works& works) { works.tuneLock.unlock(); }

}  // namespace tuner
