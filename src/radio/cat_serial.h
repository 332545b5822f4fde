#pragma once
// The FT-817 CAT poller: sends the read-frequency-and-mode command in a loop
// and leaves the decoded frequency in works.catSerialFreq. It writes nothing
// else to the radio.
#include <array>
#include <cstdint>
#include <span>

#include "platform/serial_port.h"
#include "radio/cat_reply.h"

namespace core {
struct RadioRecord;
}  // namespace core

namespace radio {

// The poller's state, touched only by its own thread.
struct CatPoll {
    static constexpr int kDecode = 1, kWait = 2, kSend = 3;
    int catProcessStatus = kSend;
    int lastCommandSent = 0;   // the opcode whose reply is awaited
    int counterimeoutCAT = 0;  // 1 ms waits since the request went out
    std::array<uint8_t, kCatReplySize> reply{};
    int received = 0;
};

void writeSerialCatPort(platform::SerialPort& port, std::span<const uint8_t> bytes, CatPoll& poll);
// One reply; it counts only when the read-frequency request is the one awaited.
void DecodeCatSerialCmd(core::RadioRecord& works, std::span<const uint8_t, kCatReplySize> reply,
                        CatPoll& poll);
// One pass of the poll loop: send, wait for a byte, or decode.
void catPollStep(core::RadioRecord& works, platform::SerialPort& port, CatPoll& poll);

// Thread body; returns when the port fails or enaCatSer leaves '1'.
void CatSerial(core::RadioRecord& works);

}  // namespace radio
