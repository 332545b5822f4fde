#include "config/filter_file.h"

#include <cstdio>
#include <cstdlib>

#include "config/text_lines.h"

namespace config {
namespace {

// The longest line the file's reader takes as one.
constexpr size_t kLineLength = 511;

// Reads one number with strtoul, moving past it; false when none is there.
bool readNumber(const char*& cursor, int base, unsigned long& value) {
    char* end = nullptr;
    value = std::strtoul(cursor, &end, base);
    if (end == cursor) return false;
    cursor = end;
    return true;
}

FilterLine parseLine(std::string_view text) {
    const std::string line(text.substr(0, kLineLength));
    const char* cursor = line.c_str();
    unsigned long start = 0, stop = 0, enabled = 0;
    FilterLine parsed;
    parsed.complete =
        readNumber(cursor, 0, start) && readNumber(cursor, 0, stop) && readNumber(cursor, 10, enabled);
    // The frequencies are kept as the 32-bit values the amplifier's table holds.
    parsed.row.Fstart = static_cast<int32_t>(static_cast<uint32_t>(start));
    parsed.row.Fstop = static_cast<int32_t>(static_cast<uint32_t>(stop));
    parsed.row.enabled = static_cast<uint8_t>(enabled);
    return parsed;
}

}  // namespace

std::vector<FilterLine> filterLinesOf(std::string_view text) {
    std::vector<FilterLine> lines;
    while (!text.empty()) {
        const std::string_view line = takeTextLine(text);
        if (isBlankLine(line) || line.starts_with(';')) continue;
        lines.push_back(parseLine(line));
    }
    return lines;
}

core::FilterRows filterRowsOf(std::string_view text) {
    core::FilterRows rows{};
    const std::vector<FilterLine> lines = filterLinesOf(text);
    for (size_t index = 0; index < rows.size() && index < lines.size(); ++index)
        rows[index] = lines[index].row;
    return rows;
}

bool filterLinePasses(const FilterLine& line) {
    return line.complete && line.row.Fstart >= 0 && line.row.Fstop >= 0 && line.row.enabled <= 1;
}

std::string filterFileText(const core::FilterRows& rows) {
    std::string text = kFilterHeader;
    for (const core::FilterRow& row : rows) {
        char line[64];
        std::snprintf(line, sizeof line, "%ld\t\t%ld\t\t%i \n", static_cast<long>(row.Fstart),
                      static_cast<long>(row.Fstop), row.enabled);
        text += line;
    }
    return text;
}

}  // namespace config
