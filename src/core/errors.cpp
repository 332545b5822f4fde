#include "core/errors.h"

#include <algorithm>

#include "core/error_codes.h"
#include "core/flag_bits.h"
#include "platform/log.h"

namespace core {
namespace {

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
void removeWarnings(ErrorBlock& state, uint8_t mask) {
    ErrorList& list = state.errors;
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

bool isTemperatureError(int code) {
    return code == err::Temp1Alarm || code == err::Temp2Alarm || code == err::Temp1Warning ||
           code == err::Temp2Warning;
}

void AddErrore(ErrorBlock& state, int code) {
    if (code < 0 || code >= kErrorCodes) return;
    uint8_t flags;
    {
        ErrorList& list = state.errors;
        std::lock_guard lock(list.mutex);
        if (state.errorsHeld & errorsHeld::Held) return;
        auto listed = list.errorList.begin() + list.errorCount;
        if (std::find(list.errorList.begin(), listed, code) != listed) return;
        list.errorList[static_cast<size_t>(list.errorCount++)] = code;
        platform::trace("Add: N: %i err:%i\n", list.errorCount, code);
        flags = flagsOf(list, code);
    }
    if ((flags & kErrorProtection) && !(state.protFlags & protFlags::Tripped)) {
        state.protFlags |= protFlags::Tripped;
        platform::trace(" -->set protezione 0x%x\n", state.protFlags.load());
    }
    if ((flags & kErrorTemporary) && !(state.protFlags & protFlags::TemporaryWarnings)) {
        state.protFlags |= protFlags::TemporaryWarnings;
        platform::trace(" -->tasto reset errore 0x%x\n", state.protFlags.load());
    }
}

void DeleteErrore(ErrorBlock& state, int code) {
    if (code == err::QorPortOpen) return;  // the auxiliary port stays unopened until the program ends
    ErrorList& list = state.errors;
    std::lock_guard lock(list.mutex);
    auto listed = list.errorList.begin() + list.errorCount;
    auto found = std::find(list.errorList.begin(), listed, code);
    if (found == listed) return;
    removeAt(list, static_cast<int>(found - list.errorList.begin()));
    platform::trace("Del ERROR: N: %i err:%i\n", list.errorCount, code);
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

void VerifyWarningTemporanei(ErrorBlock& state) { removeWarnings(state, kErrorTemporary); }

void VerifyWarningTemporaneiDopoResetBias(ErrorBlock& state) { removeWarnings(state, 0); }

}  // namespace core
