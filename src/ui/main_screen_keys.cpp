#include "amp/error_recovery.h"
#include "amp/startup_commands.h"
#include "config/setup.h"
#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/status_bits.h"
#include "core/works.h"
#include "platform/log.h"
#include "tuner/memory_banks.h"
#include "ui/button_labels.h"
#include "ui/key_dispatch.h"
#include "ui/key_states.h"
#include "ui/main_loop.h"

namespace ui {
namespace {

constexpr uint8_t kStandbyKey = 4;  // the attenuator key's step past 5 dB: amplifier by-passed
constexpr int32_t kAntennas = 3;
constexpr int32_t kWindows = 5;

void closeBankTable(core::Works& works) {
    works.pageFlags &= static_cast<uint8_t>(~core::pageFlags::BankTable);
    restoreWorkImage(works);
}

void bankKey(core::Works& works, bool longPress) {
    if (longPress) {
        if ((works.pageFlags & core::pageFlags::BankTable) != 0) {
            closeBankTable(works);
            return;
        }
        works.pageFlags |= core::pageFlags::BankTable;
        showPageImage(works, "statusB");
        works.screenState = screen::BankTable;
    } else if ((works.pageFlags & core::pageFlags::BankTable) != 0) {
        closeBankTable(works);
    } else if (lockedOperation(works)) {
        works.panelFlags |= core::panelFlags::Locked;
    } else {
        platform::trace("BANCO %x\n", works.NumBanco.load());
        tuner::ChangeBanco(works);
    }
}

// Receiving: 0, 2, 3, 5 dB, standby, 0 dB ...; transmitting the standby step
// is skipped, and from standby the key is refused.
void attenuatorKey(core::Works& works) {
    const bool transmitting = (works.ampStatus & core::ampStatus::Transmitting) != 0;
    if (transmitting && works.bypass != 0) {
        core::AddErrore(works, core::err::NotAvailable);
        return;
    }
    const uint8_t next =
        static_cast<uint8_t>(wrapStep(works.attenuatorKey, 1, transmitting ? kStandbyKey : kStandbyKey + 1));
    works.attenuatorKey = next;
    if (next < kStandbyKey) {
        works.attenuator = next;
        amp::IncPNTIn_CMDLinear(core::cmd::Attenuator, works);
        if (works.bypass != 0) {
            platform::trace("------------- 2 SET AB0!!\n");
            amp::IncPNTIn_CMDLinear(core::cmd::LeaveBypass, works);
        }
    } else if (works.bypass == 0) {
        amp::IncPNTIn_CMDLinear(core::cmd::Bypass, works);
    }
    tuner::SaveToBank(works, works.NumBanco, works.NumAntenna);
}

void antennaKey(core::Works& works) {
    if (lockedOperation(works) && works.debugOverlay == 0) {
        works.panelFlags |= core::panelFlags::Locked;
        return;
    }
    works.NumAntenna = wrapStep(works.NumAntenna, 1, kAntennas);
    amp::IncPNTIn_CMDLinear(core::cmd::SelectAntenna, works);
    tuner::SaveToBank(works, works.NumBanco, works.NumAntenna);
}

void viewKey(core::Works& works, bool longPress) {
    if (longPress) {
        works.pageFlags |= core::pageFlags::StatusPage;
        showPageImage(works, "status");
        works.screenState = screen::StatusPage;
        return;
    }
    if (amp::GPIO_Errori(works) > 0) {
        works.tuneFine = 0;
        return;
    }
    works.mainWindow = works.mainWindow % kWindows + 1;
    works.pageFlags = 0;
    restoreWorkImage(works);
    config::writeSetup(works);
    platform::logInfo("type to %d\n", works.mainWindow.load());
}

}  // namespace

int mainScreenKey(core::Works& works, KeyEvent event) {
    if (EscFromStatus(works) != 0) return 0;
    switch (event.key) {
        case 1:
            bankKey(works, event.longPress);
            break;
        case 2:
            if (!event.longPress) attenuatorKey(works);
            break;
        case 3:
            antennaKey(works);
            break;
        case 4:
            works.screenState = screen::TuneMenu;
            break;
        case 5:
            works.screenState = screen::MenuList;
            break;
        case 6:
            viewKey(works, event.longPress);
            break;
        default:
            break;
    }
    return 0;
}

int statusPageKey(core::Works& works, KeyEvent event) {
    switch (event.key) {
        case 1:
            if (event.longPress) {
                works.shutdownState = 1;
            } else {
                EscFromStatus(works);
                works.screenState = screen::Main;
            }
            break;
        case 3:
        case 4:
        case 5:
            if (works.debugOverlay != 0) {
                constexpr int32_t kPresets[] = {4, 3, 0};  // standby, 5 dB, 0 dB
                tuner::SaveToBankDebug(works, works.NumBanco, kPresets[event.key - 3]);
            }
            break;
        default:
            break;
    }
    return 0;
}

}  // namespace ui
