#pragma once
// The amplifier link thread: one command, one reply, over the serial port
// named by the setup value LinPort.
#include <cstdint>
#include <string_view>

#include "amp/link_input.h"
#include "platform/serial_port.h"

namespace core {
struct AmpRecord;
}  // namespace core

namespace amp {

void Linear(core::AmpRecord& works);
// Opens and configures the port; failures are shown on the panel and the
// link goes on, failing every exchange.
void OpenLinear(core::AmpRecord& works, platform::SerialPort& port);
// One pass of the link's loop: send the command of the state, take a byte of
// the reply (reading what waits when none is left) or wait a millisecond for
// one, or rest after "MR1;".
void linearStep(core::AmpRecord& works, platform::SerialPort& port, LinkInput& input);
// Sends one frame (lower-case CRC, then the payload).
void writeLinearPort(platform::SerialPort& port, std::string_view payload, core::AmpRecord& works);
void LastCmdSent(core::AmpRecord& works, char letter1, char letter2, int32_t code);
void SetAttenuatorCMD(core::AmpRecord& works, platform::SerialPort& port, int value, int32_t code);

}  // namespace amp
