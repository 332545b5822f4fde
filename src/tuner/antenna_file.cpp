#include "tuner/antenna_file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include "tuner/memory_banks.h"

namespace tuner {
namespace {

constexpr size_t kLineLength = 511;
constexpr size_t kNameLength = sizeof(AntennaRow::name) - 1;

// Reads the numbers of a row one after the other as scanf would: the first
// one that does not read stops the line, and it and all after it stay 0.
class Fields {
  public:
    explicit Fields(std::string_view text) : text_(text), cursor_(text_.c_str()) {}

    int32_t frequency() {
        long value = next([](const char* from, char** end) { return std::strtol(from, end, 0); }).value_or(0);
        return static_cast<int32_t>(std::clamp<long>(value, std::numeric_limits<int32_t>::min(),
                                                     std::numeric_limits<int32_t>::max()));
    }
    uint8_t small() {
        long value =
            next([](const char* from, char** end) { return std::strtol(from, end, 10); }).value_or(0);
        return static_cast<uint8_t>(std::clamp<long>(value, 0, std::numeric_limits<uint8_t>::max()));
    }
    float power() {
        return next([](const char* from, char** end) { return std::strtof(from, end); }).value_or(0.0f);
    }

  private:
    template <typename Read>
    auto next(Read read) -> std::optional<decltype(read(nullptr, nullptr))> {
        if (stopped_) return std::nullopt;
        char* end = nullptr;
        auto value = read(cursor_, &end);
        if (end == cursor_) {
            stopped_ = true;
            return std::nullopt;
        }
        cursor_ = end;
        return value;
    }

    std::string text_;
    const char* cursor_;
    bool stopped_ = false;
};

AntennaRow parseRow(std::string_view line) {
    AntennaRow row;
    size_t space = line.find(' ');
    std::string_view name = line.substr(0, std::min(space, kNameLength));
    name.copy(row.name, name.size());
    Fields fields(space == std::string_view::npos ? std::string_view() : line.substr(space + 1));
    row.start = fields.frequency();
    row.end = fields.frequency();
    row.ampOn = fields.small();
    row.antenna = fields.small();
    row.tunerBypass = fields.small();
    row.attenuator = fields.small();
    row.drivePower = fields.power();
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
    while (!text.empty() && file.rowCount < kAntennaRows) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, std::min(end, kLineLength));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        // A blank line is no band: read as a row it would reset every range of the bank.
        if (line.empty() || line.starts_with(';')) continue;
        if (line.starts_with('!')) {
            if (std::optional<int32_t> type = headerType(line)) file.interfaceType = *type;
            continue;
        }
        file.rows[static_cast<size_t>(file.rowCount++)] = parseRow(line);
    }
    return file;
}

std::string formatAntennaFile(int32_t interfaceType, const AntennaRow* rows, int32_t rowCount) {
    std::string text = interfaceType == 1 ? "!Qor\n" : interfaceType == 2 ? "!817\n" : "!Gen\n";
    for (int32_t i = 0; i < std::clamp(rowCount, 0, kAntennaRows); ++i) {
        const AntennaRow& row = rows[i];
        char line[128];
        std::snprintf(line, sizeof line, "%.*s %ld %ld %i %i %i %i %2.1f\n", static_cast<int>(kNameLength),
                      row.name, static_cast<long>(row.start), static_cast<long>(row.end), row.ampOn,
                      row.antenna, row.tunerBypass, row.attenuator, static_cast<double>(row.drivePower));
        text += line;
    }
    return text;
}

}  // namespace tuner
