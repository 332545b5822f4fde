#pragma once
// The tune word sent with "MT1%08X;": a 9-bit capacitor index, a 9-bit
// inductor index and the network mode, their bits interleaved as the
// amplifier's microcontroller expects them.
#include <cstdint>

namespace core {
struct AmpRecord;
}  // namespace core

namespace tuner {

// Network modes as kept in tuneMode and in the tune memories.
inline constexpr uint8_t kModeNone = 0, kModeCL = 1, kModeLC = 2, kModeBypass = 3;

// Pure forms: the word with the index put in (index bits above 8 ignored).
[[nodiscard]] uint32_t withCapacitor(uint32_t word, int32_t c);
[[nodiscard]] uint32_t withInductor(uint32_t word, int32_t l);

void SetC(core::AmpRecord& works, int32_t c);
void SetI(core::AmpRecord& works, int32_t l);
[[nodiscard]] int32_t DecodeCapacitaFromTuneval(uint32_t word);
[[nodiscard]] int32_t DecodeInduttanzaFromTuneval(uint32_t word);
// 0 for no mode bit and, with a log line, for more than one.
[[nodiscard]] uint8_t DecodeModoFromTuneval(uint32_t word);
// tuneC, tuneL and tuneMode from tuneValue; a word without a mode becomes by-pass.
void ReadTnePar(core::AmpRecord& works);
void SetMode(core::AmpRecord& works, uint8_t mode);
void WaitSemaforoTuneval(core::AmpRecord& works);
void StopSemaforoTuneval(core::AmpRecord& works);

}  // namespace tuner
