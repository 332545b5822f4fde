#include "amp/fan_table.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "config/text_lines.h"
#include "core/record/amp_record.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace amp {
namespace {

const std::vector<core::FanRow> kDefaultTable{{45.0f, 70}, {50.0f, 80}, {55.0f, 100}};

// The fan command carries the percent in three digits; a percent outside
// 0..100 is no speed the amplifier knows.
int32_t percentOf(float value) {
    if (!(value > 0.0f)) return 0;
    if (value >= 100.0f) return 100;
    return static_cast<int32_t>(value);
}

core::FanRow parseRow(std::string_view line) {
    std::string text(line);
    const char* cursor = text.c_str();
    char* end = nullptr;
    core::FanRow row;
    float temperature = std::strtof(cursor, &end);
    if (end == cursor) return row;
    row.temperature = temperature;
    cursor = end;
    float percent = std::strtof(cursor, &end);
    if (end != cursor) row.percent = percentOf(percent);
    return row;
}

}  // namespace

std::vector<core::FanRow> parseFanTable(std::string_view text) {
    std::vector<core::FanRow> rows;
    while (!text.empty()) {
        std::string_view line = config::takeTextLine(text);
        if (config::isBlankLine(line) || line.front() == ';') continue;
        rows.push_back(parseRow(line));
    }
    return rows;
}

void ReadVentolaFile(core::AmpRecord& works, int table) {
    if (table < 0 || table >= kFanTables) {
        platform::logError("no fan table %i", table);
        return;
    }
    std::vector<core::FanRow>& rows = works.fanTable[table];
    rows.clear();
    const char* path = kFanTablePaths[table];
    std::optional<std::string> text = works.platform->files().read(path);
    if (!text) {
        platform::trace("Ventola File %i not FOUND!!\n", table);
        platform::logError("can't open %s", path);
        rows = table == 0 ? kDefaultTable : works.fanTable[0];
        for (const core::FanRow& row : rows)
            platform::trace("->FAN :%.02f: %d \n", static_cast<double>(row.temperature), row.percent);
        return;
    }
    rows = parseFanTable(*text);
    platform::trace("N %i row - Ventola File %i \n", static_cast<int>(rows.size()), table);
    for (const core::FanRow& row : rows)
        platform::trace("->t:%.02f: %d \n", static_cast<double>(row.temperature), row.percent);
    if (rows.empty()) platform::logError("%s holds no rows, the fan keeps its speed", path);
}

}  // namespace amp
