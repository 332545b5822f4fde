#include "core/errors.h"

#include <algorithm>
#include <optional>

#include "core/error_codes.h"
#include "core/flag_bits.h"
#include "platform/log.h"

namespace core {

bool isTemperatureError(int code) {
    return code == err::Temp1Alarm || code == err::Temp2Alarm || code == err::Temp1Warning ||
           code == err::Temp2Warning;
}

void AddErrore(ErrorBlock& state, int code) {
    if (state.errorsHeld & errorsHeld::Held) return;
    const std::optional<uint8_t> flags = state.errors.add(code);
    if (!flags) return;
    if ((*flags & kErrorProtection) && !(state.protFlags & protFlags::Tripped)) {
        state.protFlags |= protFlags::Tripped;
        platform::trace(" -->set protezione 0x%x\n", state.protFlags.load());
    }
    if ((*flags & kErrorTemporary) && !(state.protFlags & protFlags::TemporaryWarnings)) {
        state.protFlags |= protFlags::TemporaryWarnings;
        platform::trace(" -->tasto reset errore 0x%x\n", state.protFlags.load());
    }
}

void DeleteErrore(ErrorBlock& state, int code) {
    // The auxiliary port stays unopened while the unit works with the maker's transceiver.
    if (code == err::QorPortOpen) return;
    state.errors.remove(code);
}

void DeleteQorPortError(ErrorBlock& state) {
    state.errors.remove(err::QorPortOpen);
}

int ExistError(ErrorBlock& state, int code) {
    auto codes = state.errors.codes();
    return std::find(codes.begin(), codes.end(), code) != codes.end() ? 1 : 0;
}

int ExistAnError(ErrorBlock& state) {
    auto codes = state.errors.codes();
    return codes.empty() ? -1 : codes.front();
}

bool VerifyError(ErrorBlock& state) {
    auto codes = state.errors.codes();
    return std::any_of(codes.begin(), codes.end(), [](int code) { return !isTemperatureError(code); });
}

void VerifyWarningTemporanei(ErrorBlock& state) {
    state.errors.removeWithFlags(kErrorTemporary);
}

void VerifyWarningTemporaneiDopoResetBias(ErrorBlock& state) {
    state.errors.removeWithFlags(0);
}

}  // namespace core
