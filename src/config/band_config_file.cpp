#include "config/band_config_file.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "config/scan_fields.h"
#include "config/text_lines.h"
#include "core/record/amp_record.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace config {
namespace {

constexpr int kColumns = 24;

float coefficient(float gain, int32_t offset, float column) {
    double counts = static_cast<double>(offset) + static_cast<double>(column);
    return static_cast<float>(static_cast<double>(gain) / (counts * counts));
}

BandConfigLine parseLine(std::string_view line, const AdcOffsets& offsets) {
    ScanFields columns(line);
    BandConfigLine parsed;
    core::BandConfigRow& row = parsed.row;
    row.startFrequency = columns.unsignedInteger(0);
    row.secondFrequency = columns.unsignedInteger(0);
    float forwGain = columns.real();
    float forwOffset = columns.real();
    float reflGain = columns.real();
    float reflOffset = columns.real();
    parsed.inputGain = columns.real();
    parsed.inputOffset = columns.real();
    row.kForw = coefficient(forwGain, offsets.forw, forwOffset);
    row.kRefl = coefficient(reflGain, offsets.refl, reflOffset);
    row.kPwrIn = coefficient(parsed.inputGain, offsets.pwrIn, parsed.inputOffset);
    row.reflCorrection = columns.real();
    row.limitPwrIn = columns.real();
    row.limitCurrent = columns.real();
    row.limitRefl = columns.real();
    row.limitFwd = columns.real();
    // Columns 14 to 24 alternate between words 10-14 and 15-19; column 24 is word 20.
    int32_t kept[kColumns - 13];
    for (int32_t& value : kept) value = columns.integer(10);
    for (int i = 0; i < 5; ++i) {
        row.kept[i] = kept[2 * i];
        row.kept[5 + i] = kept[2 * i + 1];
    }
    row.kept[10] = kept[10];
    return parsed;
}

}  // namespace

std::vector<BandConfigLine> parseBandConfig(std::string_view text, const AdcOffsets& offsets) {
    std::vector<BandConfigLine> lines;
    while (!text.empty()) {
        std::string_view line = takeTextLine(text);
        if (isBlankLine(line) || line.front() == ';') continue;
        lines.push_back(parseLine(line, offsets));
    }
    return lines;
}

void ReadConfigFile(core::AmpRecord& works) {
    works.bandConfig.clear();
    std::optional<std::string> text = works.platform->files().read(kBandConfigPath);
    if (!text) {
        platform::trace("Config File not FOUND!!\n");
        platform::logError("can't open %s", kBandConfigPath);
        return;
    }
    std::vector<BandConfigLine> lines =
        parseBandConfig(*text, {works.KostPWRIN, works.KostFORW, works.KostREFL});
    platform::trace("N row Config File %d \n", static_cast<int>(lines.size()));
    works.bandConfig.reserve(lines.size());
    for (const BandConfigLine& line : lines) {
        const core::BandConfigRow& row = line.row;
        platform::trace(
            "->%u,%u,%02.07f,%02.07f,%02.07f,%02.07f (%02.02f,%02.02f) Soglie: PWIN %02.01f, Corrente: "
            "%02.01f, "
            "REFL: %02.01f, FWD: %02.01f\n",
            row.startFrequency, row.secondFrequency, static_cast<double>(row.kForw),
            static_cast<double>(row.kRefl), static_cast<double>(row.kPwrIn),
            static_cast<double>(row.reflCorrection), static_cast<double>(line.inputGain),
            static_cast<double>(line.inputOffset), static_cast<double>(row.limitPwrIn),
            static_cast<double>(row.limitCurrent), static_cast<double>(row.limitRefl),
            static_cast<double>(row.limitFwd));
        works.bandConfig.push_back(row);
    }
}

}  // namespace config
