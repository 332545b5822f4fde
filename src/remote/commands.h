#pragma once
// The remote control panel's text commands ("ST" messages from the client).
#include <cstdint>
#include <span>

namespace core {
struct Works;
}  // namespace core

namespace remote {

// At most 123 bytes of the message are taken; commands are matched by prefix.
void dispStat(core::Works& works, std::span<const uint8_t> data);

}  // namespace remote
