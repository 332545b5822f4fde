#pragma once
// The amplifier link thread: one command, one reply, over the serial port
// named by the setup value LinPort.
#include <cstdint>
#include <string_view>

#include "core/works.h"
#include "platform/linux/termios_serial_port.h"

namespace amp {

void Linear(core::Works& works);
// Opens and configures the port; failures are shown on the panel and the
// link goes on, failing every exchange.
void OpenLinear(core::Works& works, platform::TermiosSerialPort& port);
// Sends one frame (lower-case CRC, then the payload).
void writeLinearPort(platform::TermiosSerialPort& port, std::string_view payload, core::Works& works);
void LastCmdSent(core::Works& works, char letter1, char letter2, int32_t code);
void SetAttenuatorCMD(core::Works& works, platform::TermiosSerialPort& port, int value, int32_t code);

}  // namespace amp
