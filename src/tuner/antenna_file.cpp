#include "tuner/antenna_file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include "config/scan_fields.h"
#include "config/text_lines.h"
#include "tuner/memory_banks.h"

namespace tuner {
namespace {

constexpr size_t kLineLength = 511;
constexpr size_t kNameLength = sizeof(core::AntennaRow::name) - 1;

core::AntennaRow parseRow(std::string_view line) {
    core::AntennaRow row;
    size_t space = line.find(' ');
    std::string_view name = line.substr(0, std::min(space, kNameLength));
    name.copy(row.name, name.size());
    config::ScanFields fields(space == std::string_view::npos ? std::string_view() : line.substr(space + 1));
    row.start = fields.integer(0);
    row.end = fields.integer(0);
    row.ampOn = static_cast<uint8_t>(fields.integer(10, 0, UINT8_MAX));
    row.antenna = static_cast<uint8_t>(fields.integer(10, 0, UINT8_MAX));
    row.tunerBypass = static_cast<uint8_t>(fields.integer(10, 0, UINT8_MAX));
    row.attenuator = static_cast<uint8_t>(fields.integer(10, 0, UINT8_MAX));
    row.drivePower = fields.real();
    return row;
}

std::optional<int32_t> headerType(std::string_view line) {
    if (line.starts_with("!Gen")) return 0;
    if (line.starts_with("!Qor")) return 1;
    if (line.starts_with("!817")) return 2;
    return std::nullopt;
}

}  // namespace

std::string antennaFilePath(int32_t bank) {
    if (bank >= 1 && bank <= kLastBank) return "/opt/set/antenna_b" + std::to_string(bank) + ".txt";
    return "/opt/set/antenna.txt";
}

AntennaFile parseAntennaFile(std::string_view text) {
    AntennaFile file;
    while (!text.empty() && file.rowCount < core::kAntennaRows) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, std::min(end, kLineLength));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        // A blank line is no band: read as a row it would reset every range of the bank.
        if (config::isBlankLine(line) || line.starts_with(';')) continue;
        if (line.starts_with('!')) {
            if (std::optional<int32_t> type = headerType(line)) file.interfaceType = *type;
            continue;
        }
        file.rows[static_cast<size_t>(file.rowCount++)] = parseRow(line);
    }
    return file;
}

std::string formatAntennaFile(int32_t interfaceType, const core::AntennaRow* rows, int32_t rowCount) {
    std::string text = interfaceType == 1 ? "!Qor\n" : interfaceType == 2 ? "!817\n" : "!Gen\n";
    for (int32_t i = 0; i < std::clamp(rowCount, 0, core::kAntennaRows); ++i) {
        const core::AntennaRow& row = rows[i];
        char line[128];
        std::snprintf(line, sizeof line, "%.*s %ld %ld %i %i %i %i %2.1f\n", static_cast<int>(kNameLength),
                      row.name, static_cast<long>(row.start), static_cast<long>(row.end), row.ampOn,
                      row.antenna, row.tunerBypass, row.attenuator, static_cast<double>(row.drivePower));
        text += line;
    }
    return text;
}

}  // namespace tuner
