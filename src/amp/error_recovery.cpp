#include "amp/error_recovery.h"

#include "amp/startup_commands.h"
#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/record/amp_record.h"
#include "core/record/setup_record.h"
#include "core/status_bits.h"
#include "core/threads.h"
#include "platform/log.h"

namespace amp {

int GPIO_Errori(core::AmpRecord& works) {
    if (works.protFlags != 0) {
        platform::trace("----------> 1- ERRORI!!\n");
        GestErrore(works);
        return 1;
    }
    int oldest = core::ExistAnError(works);
    if (oldest < 0) return 0;
    GestErroreRemote(works);
    if (core::isTemperatureError(oldest)) {
        platform::trace("----------> 2- ERRORI!!\n");
        return 0;
    }
    platform::trace("----------> 3- ERRORI!!\n");
    VerificaEsistonoErrori(works);
    return 1;
}

void GestErrore(core::AmpRecord& works) {
    platform::trace(">>> ERRORI: GestErrore\n");
    if (core::ExistError(works, core::err::MicroReset)) {
        InitMicroCmd(works);
        core::DeleteErrore(works, core::err::MicroReset);
        platform::trace("DELETE Err RESET MICRO\n");
    }
    if (works.protFlags & core::protFlags::Tripped) {
        platform::trace(">>> ERRORI: ResetBiasCmd\n");
        ResetBiasCmd(works);
        works.cmdBurst = 1;
        works.resetPhase = 1;
    } else if (works.protFlags & core::protFlags::TemporaryWarnings) {
        core::VerifyWarningTemporanei(works);
        works.protFlags &= static_cast<uint8_t>(~core::protFlags::TemporaryWarnings);
    } else if (core::ExistAnError(works) >= 0) {
        platform::trace(">>> ERRORI2: VerificaEsistonoErrori\n");
        VerificaEsistonoErrori(works);
    }
    GestErroreRemote(works);
    works.antennaRow = -1;
    platform::trace(">>> END GEST ERRORE!! %i\n", works.antennaRow.load());
}

void ResetBiasCmd(core::AmpRecord& works) {
    if (works.ampProt != 0 || (works.ampStatus & core::ampStatus::SwrAlarm)) {
        IncPNTIn_CMDLinear(core::cmd::ClearProtections, works);
        platform::trace(">>> ERRORI: RESET Protezione AMPL!\n");
    }
    if (works.ampProt & core::ampProt::MicroReset) InitMicroCmd(works);
    IncPNTIn_CMDLinear(core::cmd::ProtectionOff, works);
    IncPNTIn_CMDLinear(works.bypass == 1 ? core::cmd::Bypass : core::cmd::LeaveBypass, works);
    IncPNTIn_CMDLinear(core::cmd::Attenuator, works);
}

void ClearDisplayError(core::AmpRecord& works) {
    works.protFlags |= core::protFlags::DisplayCleared;
    for (int code : {core::err::TuneTimeout, core::err::TuneSwrTimeout, core::err::TuneAborted})
        core::DeleteErrore(works, code);
    platform::trace(" -->reset protezione %c\n", static_cast<char>(works.ampStatus.load()));
}

void VerificaEsistonoErrori(core::AmpRecord& works) {
    int oldest = core::ExistAnError(works);
    if (oldest < 0) return;
    platform::trace("FOUND ERR: %d \n", oldest);
    ResetBiasCmd(works);
    core::VerifyWarningTemporaneiDopoResetBias(works);
}

void GestErroreRemote(core::AmpRecord& works) {
    core::SetupRecord& setup = *works.setup;
    platform::trace(">>> RESTART REMOTE: %i %i audio %x %x\n", works.remoteChecked.load(),
                    works.remoteFault.load(), setup.EnableWrite.load(), setup.EnableRead.load());
    if (works.remoteChecked != 1 || works.remoteFault != 1) return;
    platform::trace(">>> RESTART REMOTE!\n");
    works.remoteFault = 0;
    if (setup.EnableWrite == '0') {
        platform::trace("start audio write\n");
        setup.EnableWrite = '1';
        core::StartThreadAudioWrite(works);
    }
    if (setup.EnableRead == '0') {
        platform::trace("start audio read\n");
        setup.EnableRead = '1';
        core::StartThreadAudioRead(works);
    }
    if (setup.EnableCAT == '0') {
        setup.EnableCAT = '1';
        core::StartThreadCAT(works);
    }
    if (setup.EnableFFT == '0') {
        setup.EnableFFT = '1';
        core::StartQorReadFFT(works);
    }
}

void GestErroreSerial(core::AmpRecord& works) {
    ClearDisplayError(works);
    if (works.protFlags & core::protFlags::Tripped) core::VerifyWarningTemporaneiDopoResetBias(works);
    if (works.protFlags & core::protFlags::TemporaryWarnings) {
        core::VerifyWarningTemporanei(works);
        works.protFlags &= static_cast<uint8_t>(~core::protFlags::TemporaryWarnings);
    }
    if (core::ExistAnError(works) >= 0) VerificaEsistonoErrori(works);
    works.antennaRow = -1;
}

}  // namespace amp
