#include "remote/status_record.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "amp/measurements.h"
#include "core/works.h"

namespace remote {
namespace {

// Each field keeps its place: a value that would print wider than its field
// is held at the widest value that fits, so a reading out of range never
// shifts the fields after it.
class RecordWriter {
  public:
    explicit RecordWriter(StatusRecord& record) : record_(record) {}

    void text(const std::string& text, size_t width) {
        std::copy_n(text.begin(), std::min(text.size(), width), record_.begin() + position_);
        position_ += width;
    }
    void character(char value) { record_[position_++] = value; }
    void number(const char* format, double value, size_t width, double lowest, double highest) {
        text(formatted(format, std::clamp(value, lowest, highest)), width);
    }
    [[nodiscard]] size_t position() const { return position_; }

  private:
    static std::string formatted(const char* format, double value) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, format, value);
        return buffer;
    }

    StatusRecord& record_;
    size_t position_ = 0;
};

std::string bandName(core::Works& works) {
    const int32_t frequency = works.frequency;
    const int32_t count = std::clamp(works.antennaRowCount.load(), 0, core::kAntennaRows);
    return works.antennaTable.with([&](const core::AntennaRows& rows) {
        for (int32_t i = 0; i < count; ++i) {
            const core::AntennaRow& row = rows[static_cast<size_t>(i)];
            if (row.start <= frequency && frequency <= row.end) {
                char name[8];
                std::snprintf(name, sizeof name, "%-4.4s", row.name);
                return std::string(name);
            }
        }
        return std::string("----");
    });
}

char digit(int32_t value) {
    return static_cast<char>('0' + value);
}

char tunerState(core::Works& works) {
    if (works.TUNEenabled < 0) return 'N';
    return works.tunerBypass != 0 ? 'B' : 'T';
}

char errorByte(core::Works& works) {
    const std::vector<int32_t> codes = works.errors.codes();
    return codes.empty() ? '0' : static_cast<char>(codes.back() + 1);
}

}  // namespace

StatusRecord CreaBufferDiStato(core::Works& works) {
    StatusRecord record{};
    RecordWriter out(record);
    out.text(bandName(works), 4);
    const int32_t mode = works.ModeWorkIdx;
    out.character(mode >= 0 && mode <= 2 ? digit(mode) : '0');
    out.character(digit(works.attenuator));
    out.character(digit(works.NumAntenna));
    out.character(works.bypass != 0 ? '1' : '0');
    out.character(tunerState(works));
    out.character(works.tuneState != 0 ? '1' : '0');
    out.number("%06.02f", works.swr, 6, -99.99, 999.99);
    out.number("%06.2f", works.powerFwd, 6, -99.99, 999.99);
    out.number("%06.02f", works.powerIn, 6, -99.99, 999.99);
    out.number("%04.01f", std::max(works.temperature1.load(), works.temperature2.load()), 4, -9.9, 99.9);
    out.number("%4.1f", amp::CalvTensVadcAmp(works, works.tinyResult3), 4, -9.9, 99.9);
    out.number("%04.01f", works.currentRaw / 4096.0 * 14.05, 4, -9.9, 99.9);
    char bank[16];
    std::snprintf(bank, sizeof bank, "%02d", std::clamp(works.NumBanco.load(), 0, 99));
    out.text(bank, 2);
    out.character(errorByte(works));
    // The versions, their zero and what follows it up to the terminator stay zero when short.
    out.text(works.swVersion.get() + " " + works.fwVersion.get(), kStatusRecordSize - 1 - out.position());
    record[kStatusRecordSize - 1] = ';';
    return record;
}

}  // namespace remote
