#include <algorithm>
#include <chrono>
#include <iterator>

#include "amp/thermal.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/record/amp_record.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "tuner/tune_records.h"
#include "tuner/tune_search.h"
#include "tuner/tune_steps.h"
#include "tuner/tune_word.h"

namespace tuner {
namespace {

constexpr int32_t kBudgetRows = static_cast<int32_t>(std::size(SWRTimeoutCICLI));

// Phase lengths: the fine search around a coarse row, then the fine search alone.
constexpr int32_t kRowStepsC = 3, kRowStepsL = 20;
constexpr int32_t kFineStartC = 5, kFineStartL = 5;
constexpr int32_t kFineStepsC = 32, kFineStepsL = 5;
constexpr int32_t kFineRows = 3;
constexpr float kFineRowMaxSwr = 10.0f;
constexpr int32_t kSettleSteps = 6;

constexpr int32_t kCoarseFirstL = 4, kCoarseLastL = 256;

enum class Axis { C, L };

// Moves tuneC or tuneL by one and counts the phase down; false once the phase is over.
// A move out of 0..511 is not made and ends the phase.
bool climb(core::AmpRecord& works, Axis axis, int32_t direction) {
    std::atomic<int32_t>& counter = axis == Axis::C ? works.counterC : works.counterL;
    const int32_t next = (axis == Axis::C ? works.tuneC.load() : works.tuneL.load()) + direction;
    if (next < 0 || next > kMaxTuneIndex)
        counter = 0;
    else if (axis == Axis::C)
        setTuneC(works, next);
    else
        setTuneL(works, next);
    return --counter >= 0;
}

// The next pair of the coarse scan: L through the powers of two, then the next C; false after the last.
bool nextCoarsePair(core::AmpRecord& works) {
    const int32_t l = works.tuneL, c = works.tuneC;
    if (l < kCoarseLastL) {
        setTuneL(works, 2 * l);
        return true;
    }
    if (c == kMaxTuneIndex) return false;
    setTuneC(works, std::min(2 * c, kMaxTuneIndex));
    setTuneL(works, kCoarseFirstL);
    return true;
}

void coarseStep(core::AmpRecord& works, bool first) {
    if (TuneStep(works)) return;
    if (first) {
        setTuneC(works, 1);
        setTuneL(works, kCoarseFirstL);
        ++works.tuneStep;
        return;
    }
    if (nextCoarsePair(works)) return;
    const bool scanDone = works.tuneStep == 408;
    ++works.tuneStep;
    if (scanDone) {
        works.fineRow = 0;
        TuneEnd(works);
    }
}

void startCoarseMode(core::AmpRecord& works, uint8_t mode) {
    works.cnttune = 0;
    SetMode(works, mode);
    setTuneC(works, 0);
    setTuneL(works, 0);
    ++works.tuneStep;
}

// Keeps the best of a fine phase around a coarse row as that row's fine result.
void storeFineResult(core::AmpRecord& works) {
    core::TuneSearchState& state = works.tuneSearch;
    state.TUNEtableL[1][static_cast<size_t>(works.fineRow.load())] = state.miglioretuneParam;
    works.tuneStep = 455;
}

// Steps 451-454: one axis of the fine phase around a coarse row.
void rowClimb(core::AmpRecord& works, Axis axis, int32_t direction) {
    if (TuneStepComplete(works)) {
        storeFineResult(works);
        return;
    }
    if (climb(works, axis, direction)) return;
    core::TuneSearchState& state = works.tuneSearch;
    switch (works.tuneStep) {
        case 451:
            works.counterC = kRowStepsC;
            applyTuneRecord(works, state.miglioretuneParam);
            break;
        case 452:
            applyTuneRecord(works, state.miglioretuneParam);
            works.counterC = kRowStepsC;
            works.counterL = kRowStepsL;
            break;
        case 453:
            works.counterL = kRowStepsL;
            applyTuneRecord(works, state.miglioretuneParam);
            break;
        case 454:
            storeFineResult(works);
            return;
    }
    ++works.tuneStep;
}

void nextFineRow(core::AmpRecord& works) {
    core::TuneSearchState& state = works.tuneSearch;
    const int32_t row = ++works.fineRow;
    const core::TuneRecord* coarse =
        row < kFineRows ? &state.TUNEtableL[0][static_cast<size_t>(row)] : nullptr;
    if (coarse != nullptr && coarse->swr < kFineRowMaxSwr) {
        state.miglioretuneParam = *coarse;
        TuneEnd(works);
        platform::trace("------------ NEXT TUNE FINE %i L%4d C%4d T %08x:\n ", row, works.tuneL.load(),
                        works.tuneC.load(), works.tuneValue.load());
        works.tuneStep = 456;
        return;
    }
    SortTuneTab2(state);
    state.miglioretuneParam = state.TUNEtableL[1][0];
    TuneEnd(works);
    platform::trace("------------ END TUNE FINE %i) L%4d C%4d T %08x:\n ", row, works.tuneL.load(),
                    works.tuneC.load(), works.tuneValue.load());
    works.tuneStep = 457;
    works.fineRow = 0;
}

void completeSearchStep(core::AmpRecord& works) {
    core::TuneSearchState& state = works.tuneSearch;
    switch (works.tuneStep) {
        case 400:
            works.fineRow = 0;
            Clr_vTuneParam(works);
            platform::trace("--------------------  start auto tune bit combination\n");
            ++works.tuneStep;
            break;
        case 401:
            WaitTune1(works);
            break;
        case 402:
            WaitTune2(works);
            break;
        case 403:
            works.panelFlags &= static_cast<uint8_t>(~core::panelFlags::WaitingForTune);
            platform::trace("----> A\n");
            startCoarseMode(works, kModeLC);
            break;
        case 404:
        case 407:
            coarseStep(works, true);
            break;
        case 405:
        case 408:
            coarseStep(works, false);
            break;
        case 406:
            platform::trace("----> B\n");
            startCoarseMode(works, kModeCL);
            break;
        case 409:
            works.platform->clock().sleepFor(std::chrono::milliseconds(100));
            ++works.tuneStep;
            break;
        case 410:
            StampaTuneTabL(state);
            SortTuneTab(state);
            StampaTuneTabL(state);
            works.fineRow = 0;
            works.tuneStep = 450;
            platform::trace("------------ end tune bit type------------ START FINE:\n ");
            break;
        case 450:
            ++works.tuneStep;
            Clr_vTuneParam_fast(works);
            works.counterC = kRowStepsC;
            works.counterL = kRowStepsL;
            applyTuneRecord(works, state.starttuneParam);
            break;
        case 451:
            rowClimb(works, Axis::C, 1);
            break;
        case 452:
            rowClimb(works, Axis::C, -1);
            break;
        case 453:
            rowClimb(works, Axis::L, 1);
            break;
        case 454:
            rowClimb(works, Axis::L, -1);
            break;
        case 455:
            nextFineRow(works);
            break;
        case 456:
            works.tuneStep = 450;
            break;
        case 457:
            StampaTuneTabL(state);
            works.tuneStep = 200;
            platform::trace("------------ START TUNE FINE 2 \n ");
            break;
    }
}

// Steps 204/205 and 208/209: C up or down at the present L while the SWR does not get worse.
void fineClimbC(core::AmpRecord& works, int32_t direction) {
    if (TuneStepCompleteFine(works)) return;
    const auto& history = works.tuneSearch.vTuneParam;
    if (static_cast<int32_t>(100.0f * history[0].swr) > static_cast<int32_t>(100.0f * history[1].swr))
        works.counterC = 0;
    if (climb(works, Axis::C, direction)) return;
    setTuneC(works, works.tuneSearch.starttuneParam.C);
    works.counterC = kFineStepsC;
    const int32_t step = works.tuneStep;
    works.tuneStep = step == 205 ? 206 : step == 209 ? 207 : step + 1;
}

void fineSearchStep(core::AmpRecord& works) {
    const core::TuneRecord& start = works.tuneSearch.starttuneParam;
    switch (works.tuneStep) {
        case 200:
            ++works.tuneStep;
            Clr_vTuneParam_fast(works);
            works.counterC = kFineStartC;
            works.counterL = kFineStartL;
            applyTuneRecord(works, start);
            break;
        case 201:
            WaitTune1(works);
            break;
        case 202:
            WaitTune2(works);
            break;
        case 203:
            works.panelFlags &= static_cast<uint8_t>(~core::panelFlags::WaitingForTune);
            Clr_vTuneParam_fast(works);
            works.counterC = kFineStepsC;
            works.counterL = kFineStepsL;
            ++works.tuneStep;
            break;
        case 204:
        case 208:
            fineClimbC(works, 1);
            break;
        case 205:
        case 209:
            fineClimbC(works, -1);
            break;
        case 206:
            if (TuneStepCompleteFine(works)) return;
            if (climb(works, Axis::L, -1)) {
                platform::trace("--- start new C:\n");
                works.counterC = kFineStepsC;
                works.tuneStep = 204;
                return;
            }
            works.counterL = kFineStepsL;
            setTuneL(works, start.L);
            setTuneC(works, start.C);
            ++works.tuneStep;
            break;
        case 207:
            if (TuneStepCompleteFine(works)) return;
            if (climb(works, Axis::L, 1)) {
                platform::trace("--- start new C:\n");
                setTuneC(works, start.C);
                works.counterC = kFineStepsC;
                ++works.tuneStep;
                return;
            }
            works.counterL = kFineStepsL;
            TuneEnd(works);
            works.tuneStep = 210;
            break;
        case 210:
            ++works.fineRow;
            works.platform->clock().sleepFor(std::chrono::milliseconds(100));
            if (works.fineRow >= kSettleSteps) ++works.tuneStep;
            break;
        case kStepEnd:
            EscAutoTune(works, 1);
            break;
    }
}

}  // namespace

void TuneTask(core::AmpRecord& works) {
    // Stopped between two status replies: nothing more to measure or store.
    if (works.cmdBurst != 0 || works.tuneState == 0) return;
    const int32_t budgetIndex = std::clamp<int32_t>(works.AutoTuneMaxCicli, 0, kBudgetRows - 1);
    if (works.cnttune > SWRTimeoutCICLI[budgetIndex]) {
        platform::trace("%d max cicli-> esco\n", works.cnttune.load());
        TuneEnd(works);
        EscAutoTune(works, 0, TuneExit::TimeOut);
        core::AddErrore(works,
                        works.SWRescAutoTune != 0.0f ? core::err::TuneSwrTimeout : core::err::TuneTimeout);
        amp::AttivaDisattivaProtezione(works, 1);
        return;
    }
    if (works.tuneStep >= 400)
        completeSearchStep(works);
    else
        fineSearchStep(works);
}

}  // namespace tuner
