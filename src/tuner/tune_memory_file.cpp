#include "tuner/tune_memory_file.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "config/text_lines.h"
#include "core/record/amp_record.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "tuner/tune_index.h"

namespace tuner {
namespace {

constexpr size_t kMaxLineLength = 512;
constexpr int kMaxRecordLines = 5000;

void reportBadIndex() {
    platform::trace("LoadTabAtu Errore idx\n");
    std::fputs("LoadTabAtu Errore idx", stdout);
}

// One record line; the frequency field is only there for the reader.
void parseRecordLine(const std::string& line, core::TuneTable& table) {
    const char* cursor = line.c_str();
    char* end = nullptr;
    long index = std::strtol(cursor, &end, 10);
    // A negative index would land outside the table just as one past its end.
    if (index < 0 || index >= core::kTuneIndexCount) {
        reportBadIndex();
        return;
    }
    auto next = [&] {
        cursor = end;
        return std::strtoul(cursor, &end, 10);
    };
    next();
    core::TuneMemRecord& record = table[static_cast<size_t>(index)];
    record.valid = static_cast<uint8_t>(next());
    record.mode = static_cast<uint8_t>(next());
    record.L = static_cast<uint16_t>(next());
    record.C = static_cast<uint16_t>(next());
}

bool knownAntenna(int32_t antenna) {
    return antenna >= 0 && antenna < core::kTuneAntennaCount;
}

}  // namespace

std::string tuneMemoryPath(int32_t bank, int32_t antenna) {
    char path[64];
    if (bank >= 1 && bank <= 19)
        std::snprintf(path, sizeof path, "/opt/set/atu_ant%d_b%d.txt", antenna + 1, bank);
    else
        std::snprintf(path, sizeof path, "/opt/set/atu_ant%d.txt", antenna + 1);
    return path;
}

void parseTuneMemory(std::string_view text, core::TuneTable& table) {
    table.fill({});
    int records = 0;
    while (!text.empty() && records < kMaxRecordLines) {
        std::string_view line = config::takeTextLine(text);
        if (config::isBlankLine(line) || line.front() == ';') continue;
        ++records;
        parseRecordLine(std::string(line.substr(0, kMaxLineLength)), table);
    }
}

std::string formatTuneMemory(const core::TuneTable& table) {
    std::string text;
    char line[96];
    for (int32_t index = 0; index < core::kTuneIndexCount; ++index) {
        const core::TuneMemRecord& record = table[static_cast<size_t>(index)];
        if (record.valid == 0) continue;
        int length = std::snprintf(line, sizeof line, "%i %ld %i %i %i %i\n", index,
                                   static_cast<long>(AtuFreqfromIdx(index)), record.valid, record.mode,
                                   record.L, static_cast<int16_t>(record.C));
        text.append(line, static_cast<size_t>(length));
    }
    return text;
}

void LoadTabAtu(core::AmpRecord& works, int32_t bank, int32_t antenna) {
    if (!knownAntenna(antenna)) return;
    std::optional<std::string> text = works.platform->files().read(tuneMemoryPath(bank, antenna));
    core::TuneTable table{};
    if (text) parseTuneMemory(*text, table);
    works.tuneMemory.with([&](core::TuneTables& memory) {
        memory.tables[static_cast<size_t>(antenna)] = table;
        memory.banks[static_cast<size_t>(antenna)] = bank;
    });
}

void SaveTabAtu(core::AmpRecord& works, int32_t bank, int32_t antenna) {
    platform::trace("SaveTabAtu Bank%i , antenna %i\n", bank, antenna);
    if (!knownAntenna(antenna)) return;
    const std::optional<std::string> text = works.tuneMemory.with([&](const core::TuneTables& memory) {
        return holdsBank(memory, bank, antenna)
                   ? std::optional(formatTuneMemory(memory.tables[static_cast<size_t>(antenna)]))
                   : std::nullopt;
    });
    if (!text) return;
    // The file store logs a failed remount or write itself.
    (void)works.platform->files().save(tuneMemoryPath(bank, antenna), *text);
}

bool holdsBank(const core::TuneTables& memory, int32_t bank, int32_t antenna) {
    const int32_t loaded = memory.banks[static_cast<size_t>(antenna)];
    if (loaded == bank) return true;
    // The banks were changed meanwhile: the table in memory belongs to another bank's file.
    platform::logError("tune memory of antenna %d is bank %d's, not saved as bank %d's", antenna + 1, loaded,
                       bank);
    return false;
}

}  // namespace tuner
