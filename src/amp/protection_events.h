#pragma once
// The lines a person reads about the amplifier's protections: each one once
// when it trips and once when it is gone, named in words and with the text
// of its box on the panel.
#include <cstdint>

namespace core {
struct AmpRecord;
}  // namespace core

namespace amp {

// One bit per protection told about: the protection digits' causes as they
// are (bits 0 to 6) and the SWR alarm of the status digit.
inline constexpr uint16_t kSwrProtection = 1u << 8;

// The protections in force by a status reply's status digit and protection digits.
[[nodiscard]] uint16_t protectionsOf(uint8_t status, uint8_t prot);

// Lines for the protections raised and cleared since the last reply. While a
// tune runs, the search clears the latches after each alarmed step itself:
// a protection still there once it has ended is told then.
void logProtectionChanges(core::AmpRecord& works, uint8_t status, uint8_t prot);

}  // namespace amp
