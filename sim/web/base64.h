#pragma once
// Base64 (RFC 4648, with padding): the frames travel as text in the event stream.
#include <string>
#include <string_view>

namespace sim::web {

[[nodiscard]] std::string base64(std::string_view bytes);

}  // namespace sim::web
