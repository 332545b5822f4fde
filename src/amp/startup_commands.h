#pragma once
// Queuing amplifier commands: the start-up list and the alarm thresholds of
// the band in use.
#include <cstdint>

namespace core {
struct AmpRecord;
}  // namespace core

namespace amp {

// Queues a command code for the link thread; returns the code.
int32_t IncPNTIn_CMDLinear(int32_t code, core::AmpRecord& works);
void InitMicroCmd(core::AmpRecord& works);
void SearchCambioSoglie_TS(core::AmpRecord& works);

}  // namespace amp
