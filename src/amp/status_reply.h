#pragma once
// The amplifier's status reply: its fields, and what one reply changes in
// the shared record.
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/works.h"

namespace amp {

struct StatusReply {
    uint8_t status0 = 0;  // pad bits 3 (3 dB) and 2 (2 dB), bit 0 RX+TX antenna routing
    uint8_t status = 0;   // bit 0 transmitting, 1 SWR alarm, 2 protection, 3 by-pass
    uint8_t prot = 0;     // protection bits
    uint8_t status3 = 0;
    uint16_t powerIn = 0, forward = 0, reflected = 0, current = 0;
    uint16_t sensor1 = 0, sensor2 = 0;
    std::optional<uint16_t> peak;  // a reply may end before the peak field
};

// Fields of a "ST" payload; nothing when a field is missing or not a number.
[[nodiscard]] std::optional<StatusReply> ParseStatusReply(std::string_view payload);

// Every effect of one status reply up to, not including, the choice of the
// next command; payload is the reply text for the log.
void ApplyStatusReply(core::Works& works, const StatusReply& reply, std::string_view payload);

}  // namespace amp
