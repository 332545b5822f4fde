#pragma once
// Bits of the amplifier's status reply as kept in the shared record, one
// namespace per field.
#include <cstdint>

namespace core {

namespace ampStatus0 {
// "Coax:RX+TX": separate receive and transmit lines, an antenna input in use
inline constexpr uint8_t CoaxRxTx = 1u << 0;
inline constexpr uint8_t Pad2dB = 1u << 2;
inline constexpr uint8_t Pad3dB = 1u << 3;
}  // namespace ampStatus0

namespace ampStatus {
inline constexpr uint8_t Transmitting = 1u << 0;
inline constexpr uint8_t SwrAlarm = 1u << 1;
inline constexpr uint8_t Protection = 1u << 2;
inline constexpr uint8_t Bypass = 1u << 3;
}  // namespace ampStatus

namespace ampStatus3 {
inline constexpr uint8_t Keyed = 1u << 3;  // another transmit indication
}  // namespace ampStatus3

namespace ampProt {
inline constexpr uint8_t OutputCurrent = 1u << 0;  // "I OUT"
inline constexpr uint8_t Reflected = 1u << 1;      // "REFL"
inline constexpr uint8_t Forward = 1u << 2;        // "FWD"
inline constexpr uint8_t PowerSensor = 1u << 3;    // "SENS PW"
inline constexpr uint8_t TxFilter = 1u << 4;       // "FILTER TX"
inline constexpr uint8_t InputPower = 1u << 5;
inline constexpr uint8_t Band = 1u << 6;
inline constexpr uint8_t MicroReset = 1u << 7;
// The protections that trip the amplifier protection or band errors.
inline constexpr uint8_t Causes = OutputCurrent | Reflected | Forward | PowerSensor | TxFilter | Band;
}  // namespace ampProt

}  // namespace core
