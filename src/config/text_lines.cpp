#include "config/text_lines.h"

#include <cstdlib>
#include <string>

namespace config {

std::string_view takeLine(std::string_view& text) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    return line;
}

std::string_view takeTextLine(std::string_view& text) {
    std::string_view line = takeLine(text);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

bool isBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t\r\n\v\f") == std::string_view::npos;
}

std::optional<float> leadingFloat(std::string_view text) {
    std::string terminated(text);
    char* end = nullptr;
    float value = std::strtof(terminated.c_str(), &end);
    if (end == terminated.c_str()) return std::nullopt;
    return value;
}

}  // namespace config
