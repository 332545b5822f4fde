#pragma once
// What the log shows of text a stranger sent: short and printable, so that
// no client can fill the log or write control characters into it.
#include <cstddef>
#include <string>
#include <string_view>

namespace remote {

inline constexpr size_t kExcerptLength = 64;

// At most kExcerptLength characters of the text, each byte outside printable
// ASCII shown as '.', and "..." after a text that was cut.
[[nodiscard]] std::string printableExcerpt(std::string_view text);

}  // namespace remote
