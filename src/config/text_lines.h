#pragma once
// Reading the system's plain-text files: lines end in "\n", a final "\r"
// is dropped, and numbers are read from the start of a field as scanf does.
#include <optional>
#include <string_view>

namespace config {

// The next line of text without its "\n"; text moves past it.
[[nodiscard]] std::string_view takeLine(std::string_view& text);
// The same, also without a final "\r".
[[nodiscard]] std::string_view takeTextLine(std::string_view& text);
// A line of nothing but white space: no row in any of the system's files,
// which hand editing leaves behind.
[[nodiscard]] bool isBlankLine(std::string_view line);
// The leading floating-point number of a field; nothing when it holds none.
[[nodiscard]] std::optional<float> leadingFloat(std::string_view text);

}  // namespace config
