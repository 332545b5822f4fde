#pragma once
// The amplifier's status reply: its fields, and what one reply changes in
// the shared record.
#include <cstdint>
#include <optional>
#include <string_view>

namespace core {
struct AmpRecord;
}  // namespace core

namespace amp {

struct StatusReply {
    // Bits of core/status_bits.h
    uint8_t status0 = 0;  // ampStatus0
    uint8_t status = 0;   // ampStatus
    uint8_t prot = 0;     // ampProt
    uint8_t status3 = 0;  // ampStatus3
    uint16_t powerIn = 0, forward = 0, reflected = 0, current = 0;
    uint16_t sensor1 = 0, sensor2 = 0;
    std::optional<uint16_t> peak;  // a reply may end before the peak field
};

// Fields of a "ST" payload; nothing when a field is missing or not a number.
[[nodiscard]] std::optional<StatusReply> ParseStatusReply(std::string_view payload);

// Every effect of one status reply up to, not including, the choice of the
// next command; payload is the reply text for the log.
void ApplyStatusReply(core::AmpRecord& works, const StatusReply& reply, std::string_view payload);

}  // namespace amp
