#include "tuner/memory_banks.h"

#include <algorithm>
#include <optional>
#include <string>

#include "amp/mode_work.h"
#include "amp/startup_commands.h"
#include "config/setup.h"
#include "core/amp_commands.h"
#include "core/record/amp_record.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "tuner/antenna_file.h"
#include "tuner/antenna_selection.h"
#include "tuner/bank_events.h"
#include "tuner/tune_memory_file.h"

namespace tuner {
namespace {

constexpr int32_t kLastInterfaceType = 2;
constexpr int32_t kAntennaFileWhich = 3;

// Any other number would name bank 0's files.
bool validBank(int32_t bank) {
    return bank >= 0 && bank <= kLastBank;
}

}  // namespace

int32_t LoadTabConfig(core::AmpRecord& works, int32_t bank) {
    std::optional<std::string> text = works.platform->files().read(antennaFilePath(bank));
    if (!text) {
        InitTabAntenna(works, 0);
        // Also here the main loop must apply the new table anew.
        works.antennaRow = -1;
        return 1;
    }
    AntennaFile file = parseAntennaFile(*text);
    bool zeroFrequency = false;
    works.antennaTable.with([&](core::AntennaRows& rows) {
        for (int32_t i = 0; i < core::kAntennaRows; ++i) {
            core::AntennaRow& row = rows[static_cast<size_t>(i)];
            if (i < file.rowCount) {
                row = file.rows[static_cast<size_t>(i)];
                zeroFrequency = zeroFrequency || row.start == 0 || row.end == 0;
            } else {
                row.ampOn = 0;
            }
        }
        works.antennaRowCount = file.rowCount;
    });
    if (zeroFrequency) {
        InitTabAntenna(works, 1);
        platform::trace("Error Reinit antenna\n");
    }
    works.antennaRow = -1;
    return file.interfaceType;
}

void SaveTabConfig(core::AmpRecord& works, int32_t bank) {
    const std::string text = works.antennaTable.with([&](const core::AntennaRows& rows) {
        return formatAntennaFile(works.ModeWorkIdx, rows.data(), works.antennaRowCount);
    });
    (void)works.platform->files().save(antennaFilePath(bank), text);  // the store logs a failure
}

void LoadAllBankTable(core::AmpRecord& works, int32_t bank) {
    works.ModeWorkIdx = LoadTabConfig(works, bank);
    for (int32_t antenna = 0; antenna < core::kTuneAntennaCount; ++antenna) LoadTabAtu(works, bank, antenna);
    amp::SetModeWorkIDX(works);
}

void ChangeBanco(core::AmpRecord& works) {
    // At least bank 0, at most the banks that have files of their own.
    int32_t banks = std::clamp(works.MAXbank.load(), 1, kLastBank + 1);
    int32_t next = works.NumBanco + 1;
    if (next >= banks || next < 0) next = 0;
    works.NumBanco = next;
    config::writeSetup(works);  // a failure is logged by the file store
    LoadAllBankTable(works, next);
    logBankChange(works);
    works.antennaRow = -1;
}

void ChangeInterfaceBanco(core::AmpRecord& works) {
    int32_t next = works.ModeWorkIdx + 1;
    if (next > kLastInterfaceType || next < 0) next = 0;
    works.ModeWorkIdx = next;
    amp::SetModeWorkIDX(works);
    logInterfaceChange(works);
    SaveToBank(works, works.NumBanco, works.NumAntenna);
}

void SaveToBank(core::AmpRecord& works, int32_t bank, int32_t antenna) {
    works.antennaTable.with([&](core::AntennaRows& rows) {
        int32_t frequency = works.frequency;
        int32_t count = std::clamp(works.antennaRowCount.load(), 0, core::kAntennaRows);
        for (int32_t i = 0; i < count; ++i) {
            core::AntennaRow& row = rows[static_cast<size_t>(i)];
            if (row.start > frequency || frequency > row.end) continue;
            // An antenna that does not exist is not written as the band's antenna.
            if (antenna >= 0 && antenna < core::kTuneAntennaCount)
                row.antenna = static_cast<uint8_t>(antenna + 1);
            row.tunerBypass = works.tunerBypass;
            row.attenuator = works.attenuator;
            row.ampOn = works.attenuatorKey < 4 ? 1 : 0;
            break;
        }
    });
    SaveTabConfig(works, bank);
}

void SaveToBankDebug(core::AmpRecord& works, int32_t bank, int32_t attenuator) {
    bool padsValid = attenuator >= 0 && attenuator <= 3;
    works.antennaTable.with([&](core::AntennaRows& rows) {
        for (core::AntennaRow& row : rows) {
            row.antenna = 1;
            row.tunerBypass = 1;
            row.attenuator = padsValid ? static_cast<uint8_t>(attenuator) : 0;
            row.ampOn = padsValid ? 1 : 0;
        }
    });
    SaveTabConfig(works, bank);
    if (works.attenuator != 0) {
        works.attenuator = 0;
        amp::IncPNTIn_CMDLinear(core::cmd::Attenuator, works);
    }
    if (works.NumAntenna != 0) {
        works.NumAntenna = 0;
        amp::IncPNTIn_CMDLinear(core::cmd::SelectAntenna, works);
    }
    amp::IncPNTIn_CMDLinear(core::cmd::TunerBypassKeep, works);
    platform::trace("---------------OK SAVE BANK DEBUG!!!\n");
}

void CopyBank(core::AmpRecord& works, int32_t origin, int32_t destination) {
    if (!validBank(origin) || !validBank(destination) || origin == destination) return;
    platform::FileStore& files = works.platform->files();
    for (int32_t which = 0; which <= kAntennaFileWhich; ++which) {
        const auto path = [which](int32_t bank) {
            return which == kAntennaFileWhich ? antennaFilePath(bank) : tuneMemoryPath(bank, which);
        };
        if (const std::optional<std::string> text = files.read(path(origin)))
            (void)files.save(path(destination), *text);  // the store logs a failure
        else
            DeleteFileConf(works, destination, which);
    }
    if (destination == works.NumBanco) {
        LoadAllBankTable(works, destination);
        works.antennaRow = -1;
    }
}

void DeleteFileConf(core::AmpRecord& works, int32_t bank, int32_t which) {
    if (!validBank(bank) || which < 0 || which > kAntennaFileWhich) return;
    std::string path = which == kAntennaFileWhich ? antennaFilePath(bank) : tuneMemoryPath(bank, which);
    if (!works.platform->files().remove(path)) platform::logError("can't delete file bank %d", bank);
}

}  // namespace tuner
