#include "tuner/tune_word.h"

#include <array>

#include "core/record/amp_record.h"
#include "core/tune_value_bits.h"
#include "platform/log.h"

namespace tuner {
namespace {

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

uint32_t withCapacitor(uint32_t word, int32_t c) {
    return withIndex(word, c, core::tuneValue::CapacitorMask, core::tuneValue::CapacitorBits);
}

uint32_t withInductor(uint32_t word, int32_t l) {
    return withIndex(word, l, core::tuneValue::InductorMask, core::tuneValue::InductorBits);
}

void SetC(core::AmpRecord& works, int32_t c) {
    works.tuneValue = withCapacitor(works.tuneValue, c);
}

void SetI(core::AmpRecord& works, int32_t l) {
    works.tuneValue = withInductor(works.tuneValue, l);
}

int32_t DecodeCapacitaFromTuneval(uint32_t word) {
    return indexOf(word, core::tuneValue::CapacitorBits);
}

int32_t DecodeInduttanzaFromTuneval(uint32_t word) {
    return indexOf(word, core::tuneValue::InductorBits);
}

uint8_t DecodeModoFromTuneval(uint32_t word) {
    uint32_t bits = word & core::tuneValue::ModeMask;
    switch (bits) {
        case 0:
            return kModeNone;
        case core::tuneValue::NetworkCL:
            return kModeCL;
        case core::tuneValue::NetworkLC:
            return kModeLC;
        case core::tuneValue::Bypass:
            return kModeBypass;
        default:
            platform::trace("DecodeModoFromTuneval -> tune: 0x%x \n", bits);
            return kModeNone;
    }
}

void ReadTnePar(core::AmpRecord& works) {
    uint32_t word = works.tuneValue;
    works.tuneC = DecodeCapacitaFromTuneval(word);
    works.tuneL = DecodeInduttanzaFromTuneval(word);
    uint8_t mode = DecodeModoFromTuneval(word);
    works.tuneMode = mode;
    if (mode == kModeNone) SetMode(works, kModeBypass);
}

void SetMode(core::AmpRecord& works, uint8_t mode) {
    works.tuneMode = mode;
    uint32_t modeBit = 0;
    switch (mode) {
        case kModeNone:
        case kModeBypass:
            modeBit = core::tuneValue::Bypass;
            break;
        case kModeCL:
            modeBit = core::tuneValue::NetworkCL;
            break;
        case kModeLC:
            modeBit = core::tuneValue::NetworkLC;
            break;
        default:
            return;
    }
    works.tuneValue = (works.tuneValue & ~core::tuneValue::ModeMask) | modeBit;
    works.tunerBypass = modeBit == core::tuneValue::Bypass ? 1 : 0;
}

void WaitSemaforoTuneval(core::AmpRecord& works) {
    works.tuneLock.lock();
}

void StopSemaforoTuneval(core::AmpRecord& works) {
    works.tuneLock.unlock();
}

}  // namespace tuner
