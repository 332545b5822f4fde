#include "ui/settings_menu_actions.h"

#include <chrono>
#include <optional>

#include "amp/startup_commands.h"
#include "config/last_good_link.h"
#include "config/remote_threads.h"
#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/status_bits.h"
#include "core/threads.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "tuner/factory_default.h"

namespace ui {
namespace {

// Tiny-controller commands that tell the front panel the use mode.
constexpr uint8_t kTinyLocal = 165;
constexpr uint8_t kTinyRemote = 149;

bool transmitting(const core::Works& works) {
    return (works.ampStatus & core::ampStatus::Transmitting) != 0;
}

// A refused action shows "Locked operation.".
bool refusedWhileTransmitting(core::Works& works) {
    if (!transmitting(works)) return false;
    works.panelFlags |= core::panelFlags::Locked;
    return true;
}

// The prerequisites of remote operation without the USB spectrum: the
// transceiver with its CAT port and audio device, and the auxiliary link.
void checkRemotePrerequisites(core::Works& works) {
    const int found = works.services->findRemoteSettings(works);
    const int audio = works.services->getAudioQOR(works);
    const char enaser = works.setup->enaser;
    platform::trace("j=%d i=%d enaser=%c\n", found, audio, enaser);
    if (found == 0 && audio > 0 && enaser == '1') {
        works.useModeRemote = 1;
        works.remoteStopped = 0;
        platform::trace("Remote GO!\n");
        return;
    }
    works.remoteStopped = 1;
    switch (found) {
        case 1:
            core::AddErrore(works, core::err::RemoteUsb);
            break;
        case 2:
            core::AddErrore(works, core::err::RemoteCat);
            break;
        case 3:
            core::AddErrore(works, core::err::AudioRead);
            break;
        default:
            break;
    }
    if (audio <= 0) core::AddErrore(works, core::err::AudioNotFound);
    if (enaser != '1') core::AddErrore(works, core::err::QorModeOff);
    platform::trace("Remote ERROR!\n");
}

// Runs the update script that applies: the service one with "Remote Service"
// on, else the ordinary one when a newer software is offered. Nothing when
// neither applies.
std::optional<int> runUpdateScript(core::Works& works) {
    if ((works.serviceFlags & core::serviceFlags::RemoteService) != 0) {
        platform::trace("!!!!!!!!!!!!!!!!!!!Start SERVICE AGG UI...\n");
        const int result = works.services->readSystemGetpack2(works);
        platform::trace("!!!!!!!!!!!!!!!!!!!AGG SW SERVICE end: exit %i\n", result);
        return result;
    }
    if (works.updateAvailable != 1) return std::nullopt;
    platform::trace("!!!!!!!!!!!!!!!!!!!Start AGG UI...\n");
    const int result = works.services->readSystemGetpack(works);
    platform::trace("!!!!!!!!!!!!!!!!!!!AGG SW end: exit %i\n", result);
    return result;
}

}  // namespace

void switchUseMode(core::Works& works) {
    if (works.useModeRemote != 0)
        works.useModeRemote = 0;
    else if (works.setup->EnableFFT != '0')
        works.useModeRemote = 1;
    else
        checkRemotePrerequisites(works);
}

void applyUseMode(core::Works& works) {
    if (works.useModeRemote == 0) {
        config::ExitThreadRemote(works);
        works.tempflag_processextREMLOCOFF = kTinyLocal;
        return;
    }
    if (works.setup->WebSocket == '0') {
        works.setup->WebSocket = '1';
        core::StartThreadSoket(works);
    }
    config::StartThreadCommRemote(works);
    works.tempflag_processextREMLOCOFF = kTinyRemote;
}

// The update message shows the run's state; a successful update restarts the unit.
void confirmSoftwareUpdate(core::Works& works) {
    if (refusedWhileTransmitting(works)) return;
    if ((works.serviceFlags & core::serviceFlags::SoftwareUpdateArmed) == 0) {
        works.panelFlags &= static_cast<uint8_t>(~core::panelFlags::UpdateMessage);
        return;
    }
    works.updateResult = 0;
    works.panelFlags |= core::panelFlags::UpdateMessage;
    config::DeleteLastGoodLink(works);
    works.platform->clock().sleepFor(std::chrono::seconds(2));
    const std::optional<int> result = runUpdateScript(works);
    if (!result) return;
    works.updateResult = *result;
    if (*result != 0) return;
    platform::trace("!!!!!!!!!!!!!!!!!!!AGG SW Wait 5s to exit... %i\n", *result);
    amp::IncPNTIn_CMDLinear(core::cmd::HoldMicro, works);
    works.platform->clock().sleepFor(std::chrono::seconds(5));
    if (const int status = works.platform->system().reboot(); status != 0)
        platform::logError("/sbin/reboot exit %d", status);
}

void confirmFirmwareUpdate(core::Works& works) {
    if (refusedWhileTransmitting(works)) return;
    if ((works.serviceFlags & core::serviceFlags::FirmwareUpdateArmed) == 0) {
        works.serviceFlags &= static_cast<uint8_t>(~core::serviceFlags::FirmwareUpdating);
        return;
    }
    amp::IncPNTIn_CMDLinear(core::cmd::HoldMicro, works);
    works.serviceFlags |= core::serviceFlags::FirmwareUpdating;
    works.screenState = 0;
    works.redrawRequest = core::redraw::WorkImage;
    platform::trace("Start AGGFW\n");
}

void factoryDefault(core::Works& works) {
    tuner::InitVar_Default(works);
    works.factoryDefaultArmed = 0;
}

void completeReset(core::Works& works) {
    tuner::InitCompleteVar(works);
    factoryDefault(works);
    platform::trace("Init Clompete file setup + Var!\n");
    amp::IncPNTIn_CMDLinear(core::cmd::HoldMicro, works);
    works.shutdownState = 3;
    works.platform->clock().sleepFor(std::chrono::seconds(5));
    if (const int status = works.platform->system().reboot(); status != 0)
        platform::logError("/sbin/reboot exit %d", status);
}

}  // namespace ui
