#pragma once
// Queuing amplifier commands: the start-up list and the alarm thresholds of
// the band in use.
#include <cstdint>

namespace core {
struct Works;
}  // namespace core

namespace amp {

// Queues a command code for the link thread; returns the code.
int32_t IncPNTIn_CMDLinear(int32_t code, core::Works& works);
void InitMicroCmd(core::Works& works);
void SearchCambioSoglie_TS(core::Works& works);

}  // namespace amp
