#pragma once
// Whether a reply answers the command in flight. A reply that comes late,
// after its command was sent again or given up, must not be taken as the
// answer to the next command.
#include <cstdint>
#include <string_view>

namespace amp {

// letters and code: those recorded for the command last written;
// reply: a payload with a good checksum.
[[nodiscard]] bool replyBelongsTo(std::string_view letters, int32_t code, std::string_view reply);

}  // namespace amp
