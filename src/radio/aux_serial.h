#pragma once
// The Serial thread: reads the transceiver's auxiliary link, keeps its
// parameter record and spectrum, passes both on to the remote client, and
// after each message sends the commands the amplifier has pending for the
// radio.
#include <span>

#include "platform/serial_port.h"
#include "radio/aux_link.h"
#include "radio/put_back_line.h"

namespace core {
struct RadioRecord;
}  // namespace core

namespace radio {

// The pending requests, in their fixed order: receive for a tune, the tune
// carrier, the panel's transmit change, the drive power.
void sendPendingCommands(core::RadioRecord& works, platform::SerialPort& port);

// Under serMut; on a lock failure the update is skipped.
void storeParameters(core::RadioRecord& works, std::span<const uint8_t> block);
void storeFFT(core::RadioRecord& works, std::span<const uint8_t> data);
// A copy of the parameter record under serMut; false, and nothing copied, on a lock failure.
bool getParameters(QorParams& destination, core::RadioRecord& works);

// One message from the line: the header, the data, its handling and the
// pending commands. A header of no known message is put back to look for a
// start in it; a message not followed by a message start (when bytes follow
// at once) was cut short and is dropped. Returns after 1.5 s without a
// message start too.
void serialStep(core::RadioRecord& works, PutBackLine& line);

// Thread body.
void Serial(core::RadioRecord& works);

}  // namespace radio
