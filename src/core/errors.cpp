#include "core/errors.h"

#include <algorithm>

#include "amp/startup_commands.h"
#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/flag_bits.h"
#include "core/status_bits.h"
#include "core/threads.h"
#include "platform/log.h"

namespace core {
namespace {

bool isTemperatureError(int code) {
    return code == err::Temp1Alarm || code == err::Temp2Alarm || code == err::Temp1Warning ||
           code == err::Temp2Warning;
}

uint8_t flagsOf(const ErrorList& list, int code) {
    return code >= 0 && code < kErrorCodes ? list.errorDesc[static_cast<size_t>(code)].flags : 0;
}

// Removes the entry at index; the caller holds the list's lock.
void removeAt(ErrorList& list, int index) {
    auto first = list.errorList.begin() + index;
    std::copy(first + 1, list.errorList.begin() + list.errorCount, first);
    --list.errorCount;
    list.errorList[static_cast<size_t>(list.errorCount)] = 0;
}

// Removes every listed code whose flags hold mask (0: every code).
void removeWarnings(Works& works, uint8_t mask) {
    ErrorList& list = works.errors;
    std::lock_guard lock(list.mutex);
    for (int index = 0; index < list.errorCount;) {
        int code = list.errorList[static_cast<size_t>(index)];
        if (mask != 0 && (flagsOf(list, code) & mask) == 0) {
            ++index;
            continue;
        }
        platform::trace("Del temp err: %i (%i , %i)\n", code, index, list.errorCount);
        removeAt(list, index);
    }
}

}  // namespace

void AddErrore(Works& works, int code) {
    if (code < 0 || code >= kErrorCodes) return;
    uint8_t flags;
    {
        ErrorList& list = works.errors;
        std::lock_guard lock(list.mutex);
        if (works.errorsHeld & errorsHeld::Held) return;
        auto listed = list.errorList.begin() + list.errorCount;
        if (std::find(list.errorList.begin(), listed, code) != listed) return;
        list.errorList[static_cast<size_t>(list.errorCount++)] = code;
        platform::trace("Add: N: %i err:%i\n", list.errorCount, code);
        flags = flagsOf(list, code);
    }
    if ((flags & kErrorProtection) && !(works.protFlags & protFlags::Tripped)) {
        works.protFlags |= protFlags::Tripped;
        platform::trace(" -->set protezione 0x%x\n", works.protFlags.load());
    }
    if ((flags & kErrorTemporary) && !(works.protFlags & protFlags::TemporaryWarnings)) {
        works.protFlags |= protFlags::TemporaryWarnings;
        platform::trace(" -->tasto reset errore 0x%x\n", works.protFlags.load());
    }
}

void DeleteErrore(Works& works, int code) {
    if (code == err::QorPortOpen) return;  // the auxiliary port stays unopened until the program ends
    ErrorList& list = works.errors;
    std::lock_guard lock(list.mutex);
    auto listed = list.errorList.begin() + list.errorCount;
    auto found = std::find(list.errorList.begin(), listed, code);
    if (found == listed) return;
    removeAt(list, static_cast<int>(found - list.errorList.begin()));
    platform::trace("Del ERROR: N: %i err:%i\n", list.errorCount, code);
}

int ExistError(Works& works, int code) {
    auto codes = works.errors.codes();
    return std::find(codes.begin(), codes.end(), code) != codes.end() ? 1 : 0;
}

int ExistAnError(Works& works) {
    auto codes = works.errors.codes();
    return codes.empty() ? -1 : codes.front();
}

bool VerifyError(Works& works) {
    auto codes = works.errors.codes();
    return std::any_of(codes.begin(), codes.end(), [](int code) { return !isTemperatureError(code); });
}

int GPIO_Errori(Works& works) {
    if (works.protFlags != 0) {
        platform::trace("----------> 1- ERRORI!!\n");
        GestErrore(works);
        return 1;
    }
    int oldest = ExistAnError(works);
    if (oldest < 0) return 0;
    GestErroreRemote(works);
    if (isTemperatureError(oldest)) {
        platform::trace("----------> 2- ERRORI!!\n");
        return 0;
    }
    platform::trace("----------> 3- ERRORI!!\n");
    VerificaEsistonoErrori(works);
    return 1;
}

void GestErrore(Works& works) {
    platform::trace(">>> ERRORI: GestErrore\n");
    if (ExistError(works, err::MicroReset)) {
        amp::InitMicroCmd(works);
        DeleteErrore(works, err::MicroReset);
        platform::trace("DELETE Err RESET MICRO\n");
    }
    if (works.protFlags & protFlags::Tripped) {
        platform::trace(">>> ERRORI: ResetBiasCmd\n");
        ResetBiasCmd(works);
        works.cmdBurst = 1;
        works.resetPhase = 1;
    } else if (works.protFlags & protFlags::TemporaryWarnings) {
        VerifyWarningTemporanei(works);
        works.protFlags &= static_cast<uint8_t>(~protFlags::TemporaryWarnings);
    } else if (ExistAnError(works) >= 0) {
        platform::trace(">>> ERRORI2: VerificaEsistonoErrori\n");
        VerificaEsistonoErrori(works);
    }
    GestErroreRemote(works);
    works.antennaRow = -1;
    platform::trace(">>> END GEST ERRORE!! %i\n", works.antennaRow.load());
}

void ResetBiasCmd(Works& works) {
    if (works.ampProt != 0 || (works.ampStatus & ampStatus::SwrAlarm)) {
        amp::IncPNTIn_CMDLinear(cmd::ClearProtections, works);
        platform::trace(">>> ERRORI: RESET Protezione AMPL!\n");
    }
    if (works.ampProt & ampProt::MicroReset) amp::InitMicroCmd(works);
    amp::IncPNTIn_CMDLinear(cmd::ProtectionOff, works);
    amp::IncPNTIn_CMDLinear(works.bypass == 1 ? cmd::Bypass : cmd::LeaveBypass, works);
    amp::IncPNTIn_CMDLinear(cmd::Attenuator, works);
}

void ClearDisplayError(Works& works) {
    works.protFlags |= protFlags::DisplayCleared;
    for (int code : {err::TuneTimeout, err::TuneSwrTimeout, err::TuneAborted}) DeleteErrore(works, code);
    platform::trace(" -->reset protezione %c\n", static_cast<char>(works.ampStatus.load()));
}

void VerifyWarningTemporanei(Works& works) { removeWarnings(works, kErrorTemporary); }

void VerifyWarningTemporaneiDopoResetBias(Works& works) { removeWarnings(works, 0); }

void VerificaEsistonoErrori(Works& works) {
    int oldest = ExistAnError(works);
    if (oldest < 0) return;
    platform::trace("FOUND ERR: %d \n", oldest);
    ResetBiasCmd(works);
    VerifyWarningTemporaneiDopoResetBias(works);
}

void GestErroreRemote(Works& works) {
    config::SetupRecord& setup = *works.setup;
    platform::trace(">>> RESTART REMOTE: %i %i audio %x %x\n", works.remoteChecked.load(), works.remoteFault.load(),
                    setup.EnableWrite.load(), setup.EnableRead.load());
    if (works.remoteChecked != 1 || works.remoteFault != 1) return;
    platform::trace(">>> RESTART REMOTE!\n");
    works.remoteFault = 0;
    if (setup.EnableWrite == '0') {
        platform::trace("start audio write\n");
        setup.EnableWrite = '1';
        StartThreadAudioWrite(works);
    }
    if (setup.EnableRead == '0') {
        platform::trace("start audio read\n");
        setup.EnableRead = '1';
        StartThreadAudioRead(works);
    }
    if (setup.EnableCAT == '0') {
        setup.EnableCAT = '1';
        StartThreadCAT(works);
    }
    if (setup.EnableFFT == '0') {
        setup.EnableFFT = '1';
        StartQorReadFFT(works);
    }
}

void GestErroreSerial(Works& works) {
    ClearDisplayError(works);
    if (works.protFlags & protFlags::Tripped) VerifyWarningTemporaneiDopoResetBias(works);
    if (works.protFlags & protFlags::TemporaryWarnings) {
        VerifyWarningTemporanei(works);
        works.protFlags &= static_cast<uint8_t>(~protFlags::TemporaryWarnings);
    }
    if (ExistAnError(works) >= 0) VerificaEsistonoErrori(works);
    works.antennaRow = -1;
}

}  // namespace core
