#include <algorithm>

#include "amp/error_recovery.h"
#include "amp/startup_commands.h"
#include "core/amp_commands.h"
#include "core/flag_bits.h"
#include "core/status_bits.h"
#include "core/works.h"
#include "platform/log.h"
#include "tuner/antenna_selection.h"
#include "tuner/memory_banks.h"
#include "tuner/tune_memory.h"
#include "tuner/tune_memory_file.h"
#include "tuner/tune_search.h"
#include "tuner/tune_word.h"
#include "ui/button_labels.h"
#include "ui/key_dispatch.h"
#include "ui/key_states.h"

namespace ui {
namespace {

constexpr int32_t kMaxLC = 511;
constexpr int32_t kAntennas = 3;

bool tuningEnabled(const core::Works& works) {
    return (works.TUNEenabled & 1) != 0;
}

void autoTuneKey(core::Works& works, bool fine) {
    platform::trace(fine ? "xxxxx FINE AUTO TUNE_ByPass %x\n" : "xxxxx COMPLETE AUTO TUNE_ByPass %x\n",
                    works.tunerBypass.load());
    if (works.tunerBypass != 0) {
        works.panelFlags |= core::panelFlags::BypassActive;
        return;
    }
    works.tuneFine = fine ? 1 : 0;
    tuner::GoTune(works);
}

// The field changes at once, so the bank saves the new state; the command
// brings the amplifier's tuner after.
void tunerBypassKey(core::Works& works) {
    if (!tuningEnabled(works)) {
        works.panelFlags |= core::panelFlags::TuneDisabled;
        return;
    }
    platform::trace("xxxxx TUNE_ByPass %x\n", works.tunerBypass.load());
    if (works.tunerBypass != 0) {
        works.tunerBypass = 0;
        tuner::GestioneLoadTuneVal(works);
    } else {
        works.tunerBypass = 1;
        amp::IncPNTIn_CMDLinear(core::cmd::TunerBypassKeep, works);
    }
    tuner::SaveToBank(works, works.NumBanco, works.NumAntenna);
}

void resetAmplifier(core::Works& works) {
    platform::trace("-------------RESET MACCHINA \n");
    amp::IncPNTIn_CMDLinear(core::cmd::ProtectionOff, works);
    amp::IncPNTIn_CMDLinear(core::cmd::ClearProtections, works);
    if (works.ModeWorkIdx != 0) amp::IncPNTIn_CMDLinear(core::cmd::Frequency, works);
    amp::IncPNTIn_CMDLinear(core::cmd::Thresholds, works);
    amp::IncPNTIn_CMDLinear(core::cmd::LeaveBypass, works);
    amp::IncPNTIn_CMDLinear(core::cmd::AntennaInput, works);
    amp::IncPNTIn_CMDLinear(core::cmd::SelectAntenna, works);
    amp::IncPNTIn_CMDLinear(core::cmd::Attenuator, works);
}

void manualTuneToggle(core::Works& works) {
    if (!tuningEnabled(works)) {
        works.panelFlags |= core::panelFlags::TuneDisabled;
        return;
    }
    if (works.manualTune != 0) {
        works.manualTune = 0;
        return;
    }
    works.manualTune = 1;
    works.manualCarrierStopped = 0;
    amp::IncPNTIn_CMDLinear(core::cmd::TuneWordQuery, works);
    works.screenState = screen::ManualTune;
}

// Sends the changed tune word; the lock keeps the link from sending a half-made one.
template <typename Change>
void changeTuneWord(core::Works& works, Change change) {
    tuner::WaitSemaforoTuneval(works);
    change();
    amp::IncPNTIn_CMDLinear(core::cmd::TuneWord, works);
    tuner::StopSemaforoTuneval(works);
}

void stepInductor(core::Works& works, int step) {
    changeTuneWord(works, [&] {
        const int32_t l = tuner::DecodeInduttanzaFromTuneval(works.tuneValue);
        tuner::SetI(works, std::clamp(l + step, 0, kMaxLC));
    });
}

void stepCapacitor(core::Works& works, int step) {
    changeTuneWord(works, [&] {
        const int32_t c = tuner::DecodeCapacitaFromTuneval(works.tuneValue);
        tuner::SetC(works, std::clamp(c + step, 0, kMaxLC));
    });
}

void stepNetwork(core::Works& works) {
    if (works.tuneState != 0) return;
    changeTuneWord(works, [&] {
        const uint8_t mode = works.tuneMode;
        tuner::SetMode(
            works, static_cast<uint8_t>(mode >= tuner::kModeBypass || mode < tuner::kModeCL ? tuner::kModeCL
                                                                                            : mode + 1));
    });
}

void carrierKey(core::Works& works) {
    using namespace core::carrierControl;
    if ((works.carrierControl & TransmitWanted) != 0) {
        works.carrierControl =
            static_cast<uint8_t>((works.carrierControl | ChangePending) &
                                 ~(TransmitWanted | AntennaInputCleared | AntennaInputConfirmed));
        works.manualCarrierStopped = 1;
        return;
    }
    if ((works.ampStatus0 & core::ampStatus0::CoaxRxTx) != 0) {
        works.antennaIn = 0;
        amp::IncPNTIn_CMDLinear(core::cmd::AntennaInput, works);
        works.carrierControl |= AntennaInputCleared;
    }
    works.carrierControl |= ChangePending | TransmitWanted;
}

}  // namespace

int tuneMenuKey(core::Works& works, KeyEvent event) {
    switch (event.key) {
        case 1:
            works.tuneFine = 0;
            works.panelFlags &=
                static_cast<uint8_t>(~(core::panelFlags::BypassNotSaved | core::panelFlags::TuneDisabled |
                                       core::panelFlags::BypassActive));
            if (works.tuneState == 0) works.screenState = screen::Main;
            break;
        case 2:
        case 3:
            autoTuneKey(works, event.key == 2);
            break;
        case 4:
            tunerBypassKey(works);
            break;
        case 6:
            if (amp::GPIO_Errori(works) > 0) break;
            if (event.longPress)
                resetAmplifier(works);
            else
                manualTuneToggle(works);
            break;
        default:
            break;
    }
    return 0;
}

int manualTuneKey(core::Works& works, KeyEvent event) {
    switch (event.key) {
        case 1:
            if (event.longPress) {
                stepNetwork(works);
                break;
            }
            works.carrierControl =
                static_cast<uint8_t>((works.carrierControl | core::carrierControl::ChangePending) &
                                     ~core::carrierControl::TransmitWanted);
            works.saveBank = works.NumBanco.load();
            works.saveAntenna = works.NumAntenna.load();
            works.screenState = screen::SaveTune;
            break;
        case 2:
        case 3:
            stepInductor(works, event.key == 2 ? -1 : 1);
            return 1;
        case 4:
        case 5:
            stepCapacitor(works, event.key == 4 ? -1 : 1);
            return 1;
        case 6:
            carrierKey(works);
            break;
        default:
            break;
    }
    return 0;
}

int saveTuneKey(core::Works& works, KeyEvent event) {
    switch (event.key) {
        case 1:
            works.screenState = screen::Main;
            break;
        case 2:
            works.saveBank = wrapStep(works.saveBank, 1, works.MAXbank);
            break;
        case 3:
            works.saveAntenna = wrapStep(works.saveAntenna, 1, kAntennas);
            break;
        case 6:
            if (works.tunerBypass != 0) {
                works.panelFlags |= core::panelFlags::BypassNotSaved;
            } else {
                tuner::LoadTabAtu(works, works.saveBank, works.saveAntenna);
                tuner::InsertTuneToMem(works, works.saveBank, works.saveAntenna);
                tuner::LoadAllBankTable(works, works.NumBanco);
            }
            works.screenState = screen::TuneMenu;
            break;
        default:
            break;
    }
    return 0;
}

}  // namespace ui
