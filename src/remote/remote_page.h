#pragma once
// The page a browser gets for a plain "GET /" on the remote port: HTML, CSS
// and JavaScript in one file that speaks the remote link itself.
#include <string_view>

namespace remote {

[[nodiscard]] std::string_view remotePage();

}  // namespace remote
