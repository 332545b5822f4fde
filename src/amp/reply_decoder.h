#pragma once
// Decoding the amplifier's replies into the shared record; each reply also
// decides the next command of the link and the pause before it.
#include <chrono>
#include <string_view>

namespace core {
struct AmpRecord;
}  // namespace core

namespace amp {

// payload: the reply without its two CRC characters, ending in ";".
// length: the whole frame, CRC characters included.
// Returns the pause the link keeps before it sends the next command.
std::chrono::milliseconds DecodeCatCmd(core::AmpRecord& works, std::string_view payload, int length);

}  // namespace amp
