#include "amp/next_command.h"

#include <cstdio>

#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/record/amp_record.h"
#include "platform/log.h"

namespace amp {

void NextCmdPriority(core::AmpRecord& works, int32_t defaultCode) {
    works.retryCount = 0;
    if (works.cmdBurst == 0) {
        works.linearProcessStatus = defaultCode;
        return;
    }
    if (auto code = works.cmdRing.pop()) {
        works.linearProcessStatus = *code;
        platform::trace("cmd ext: %d\n", *code);
        return;
    }
    works.cmdBurst = 0;
    works.linearProcessStatus = defaultCode;
    if (works.resetPhase == 1) {
        platform::trace(">>> ERRORI: Send All CMD for Error\n");
        works.resetPhase = 2;
    }
}

namespace {

// A stop from the panel (tuneState 0) may land between two replies; the
// link's own state changes never undo it.
void moveTuneState(core::AmpRecord& works, uint8_t from, uint8_t to) {
    works.tuneState.compare_exchange_strong(from, to);
}

}  // namespace

std::chrono::milliseconds NextCmdAfterStatus(core::AmpRecord& works) {
    switch (works.tuneState) {
        case 0:
            works.linearProcessStatus = works.cmdRing.pop().value_or(core::cmd::FrequencyPoll);
            break;
        case 1:
            if (works.swr <= 10.0f) moveTuneState(works, 1, 3);
            works.services->tuneSearchStep(works);
            works.linearProcessStatus = core::cmd::TuneWord;
            break;
        case 2:
            works.linearProcessStatus = core::cmd::ClearProtections;
            moveTuneState(works, 2, 1);
            break;
        case 3:
            works.linearProcessStatus = core::cmd::Status;
            moveTuneState(works, 3, 1);
            // The reading settles before the status poll that the next tune step uses.
            return std::chrono::milliseconds(10);
        default:
            works.linearProcessStatus = core::cmd::Status;
            break;
    }
    return std::chrono::milliseconds(0);
}

void GestRetrayCMD(core::AmpRecord& works) {
    ++works.retryTotal;
    char first = works.lastCmdName[0], second = works.lastCmdName[1];
    if (works.retryCount > 2) {
        char line[30];
        std::snprintf(line, sizeof line, "Err %c%c", first, second);
        works.errors.setLine2(core::err::Communication, line);
        if (works.retryDelay == 0) {
            core::AddErrore(works, core::err::Communication);
            works.retryDelay = 2000;
        }
        platform::trace(
            "---------------------------------------STOP RETRAY!! %c%c (%d, %d) Restart da ST (Timer: %i)\n",
            first, second, works.retryTotal.load(), works.retryCount.load(), works.retryDelay.load());
        ++works.retryStops;
        works.linearProcessStatus = core::cmd::Status;
        works.retryCount = 0;
        return;
    }
    ++works.retryCount;
    works.linearProcessStatus = works.lastCmdCode.load();
    platform::trace("--------------------------------------- ERROR LINEAR: RETRAY %c%c (%d , %d)\n", first,
                    second, works.retryTotal.load(), works.retryCount.load());
}

}  // namespace amp
