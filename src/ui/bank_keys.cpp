#include <algorithm>
#include <cmath>

#include "core/flag_bits.h"
#include "core/works.h"
#include "tuner/memory_banks.h"
#include "ui/button_labels.h"
#include "ui/key_dispatch.h"
#include "ui/key_states.h"

namespace ui {
namespace {

constexpr int32_t kColumns = 5;  // input power, attenuator, amplifier, antenna, tuner
constexpr int32_t kFilesPerBank = 4;

void leaveCellEditor(core::Works& works) {
    works.bankTableColumn = -1;
    works.screenState = screen::BankTable;
}

int bankTableKey(core::Works& works, KeyEvent event) {
    switch (event.key) {
        case 1:
            if (event.longPress) {
                works.shutdownState = 1;
            } else {
                works.pageFlags &= static_cast<uint8_t>(~core::pageFlags::BankTable);
                restoreWorkImage(works);
                works.screenState = screen::Main;
            }
            break;
        case 2:
            tuner::ChangeInterfaceBanco(works);
            break;
        case 3:
        case 4:
            works.bankTableRow = wrapStep(works.bankTableRow, event.key == 3 ? -1 : 1, works.antennaRowCount);
            break;
        case 5:
            works.screenState = screen::BankUtilities;
            break;
        case 6:
            works.bankTableColumn = 0;
            works.screenState = screen::BankCellEdit;
            break;
        default:
            break;
    }
    return 0;
}

int cellEditKey(core::Works& works, KeyEvent event) {
    switch (event.key) {
        case 1:
            tuner::LoadTabConfig(works, works.NumBanco);
            leaveCellEditor(works);
            break;
        case 2:
        case 3:
            works.bankTableColumn = wrapStep(works.bankTableColumn, event.key == 2 ? -1 : 1, kColumns);
            break;
        case 4:
        case 5:
            ModifytabAntenna(works, event.key == 4 ? 1 : 0);
            break;
        case 6:
            tuner::SaveTabConfig(works, works.NumBanco);
            // The saved settings apply to the band in use at once.
            works.antennaRow = -1;
            break;
        default:
            break;
    }
    return 0;
}

int utilitiesKey(core::Works& works, KeyEvent event) {
    switch (event.key) {
        case 1:
            works.screenState = screen::BankTable;
            break;
        case 2:
            works.copyOrigin = works.NumBanco.load();
            works.screenState = screen::BankCopy;
            break;
        case 3:
            works.resetBank = works.NumBanco.load();
            works.screenState = screen::BankReset;
            break;
        default:
            break;
    }
    return 0;
}

int copyKey(core::Works& works, KeyEvent event) {
    switch (event.key) {
        case 1:
            works.screenState = screen::BankTable;
            break;
        case 2:
            works.copyOrigin = wrapStep(works.copyOrigin, 1, works.MAXbank);
            break;
        case 3:
            works.copyDestination = wrapStep(works.copyDestination, 1, works.MAXbank);
            break;
        case 6:
            tuner::CopyBank(works, works.copyOrigin, works.copyDestination);
            works.screenState = screen::BankTable;
            break;
        default:
            break;
    }
    return 0;
}

// One past the last bank stands for every bank.
int resetKey(core::Works& works, KeyEvent event) {
    const int32_t banks = works.MAXbank;
    switch (event.key) {
        case 1:
            works.screenState = screen::BankTable;
            break;
        case 2:
            works.resetBank = wrapStep(works.resetBank, 1, banks + 1);
            break;
        case 6: {
            const int32_t target = works.resetBank;
            const int32_t first = target >= banks ? 0 : target;
            const int32_t last = target >= banks ? banks - 1 : target;
            for (int32_t bank = first; bank <= last; ++bank)
                for (int32_t which = 0; which < kFilesPerBank; ++which)
                    tuner::DeleteFileConf(works, bank, which);
            tuner::LoadAllBankTable(works, works.NumBanco);
            works.antennaRow = -1;
            works.screenState = screen::BankTable;
            break;
        }
        default:
            break;
    }
    return 0;
}

}  // namespace

int bankPageKey(core::Works& works, KeyEvent event) {
    switch (works.screenState) {
        case screen::BankTable:
            return bankTableKey(works, event);
        case screen::BankCellEdit:
            return cellEditKey(works, event);
        case screen::BankUtilities:
            return utilitiesKey(works, event);
        case screen::BankCopy:
            return copyKey(works, event);
        default:
            return resetKey(works, event);
    }
}

void ModifytabAntenna(core::Works& works, int down) {
    const int32_t row = works.bankTableRow;
    const int32_t column = works.bankTableColumn;
    if (row < 0 || row >= core::kAntennaRows) return;
    const int step = down != 0 ? -1 : 1;
    works.antennaTable.with([&](core::AntennaRows& rows) {
        core::AntennaRow& band = rows[static_cast<size_t>(row)];
        switch (column) {
            case 0:
                // Tenths of a watt, so that repeated steps land on whole tenths.
                band.drivePower =
                    static_cast<float>(std::clamp(std::lround(band.drivePower * 10) + step, 0L, 50L)) / 10.0f;
                break;
            case 1:
                band.attenuator = static_cast<uint8_t>(
                    band.attenuator + step > 3 || band.attenuator + step < 0 ? 0 : band.attenuator + step);
                break;
            case 2:
                band.ampOn = band.ampOn != 0 ? 0 : 1;
                break;
            case 3: {
                const int antenna = band.antenna + step;
                band.antenna = static_cast<uint8_t>(antenna < 1 ? 3 : antenna > 3 ? 1 : antenna);
                break;
            }
            case 4:
                band.tunerBypass = band.tunerBypass != 0 ? 0 : 1;
                break;
            default:
                break;
        }
    });
}

}  // namespace ui
