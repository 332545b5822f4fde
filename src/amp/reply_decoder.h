#pragma once
// Decoding the amplifier's replies into the shared record; each reply also
// decides the next command of the link.
#include <string_view>

#include "core/works.h"

namespace amp {

// payload: the reply without its two CRC characters, ending in ";".
// length: the whole frame, CRC characters included.
void DecodeCatCmd(core::Works& works, std::string_view payload, int length);

}  // namespace amp
