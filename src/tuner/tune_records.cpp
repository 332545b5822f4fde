#include "tuner/tune_records.h"

#include <algorithm>
#include <bit>

#include "core/record/amp_record.h"
#include "core/tune_value_bits.h"
#include "platform/log.h"
#include "tuner/tune_word.h"

namespace tuner {
namespace {

constexpr int kModeRowOffset = 9;  // coarse rows of the "CL" network follow the " LC" rows

double d(float value) {
    return static_cast<double>(value);
}

}  // namespace

core::TuneRecord presentMeasurement(const core::AmpRecord& works) {
    core::TuneRecord record;
    record.swr = works.swr;
    record.fwd = works.powerFwd;
    record.L = works.tuneL;
    record.C = works.tuneC;
    record.tuneValue = works.tuneValue;
    return record;
}

void applyTuneRecord(core::AmpRecord& works, const core::TuneRecord& record) {
    works.tuneValue = record.tuneValue;
    works.tuneC = record.C;
    works.tuneL = record.L;
    works.tuneMode = DecodeModoFromTuneval(record.tuneValue);
}

void setTuneC(core::AmpRecord& works, int32_t c) {
    SetC(works, c);
    works.tuneC = c;
}

void setTuneL(core::AmpRecord& works, int32_t l) {
    SetI(works, l);
    works.tuneL = l;
}

bool betterThan(const core::TuneRecord& record, const core::TuneRecord& best) {
    // A best taken without forward power (SWR 0) would otherwise never be beaten.
    return record.swr > 0 && (best.swr <= 0 || record.swr < best.swr);
}

const char* networkTag(uint32_t tuneValue) {
    if (tuneValue & core::tuneValue::NetworkCL) return " B ";
    if (tuneValue & core::tuneValue::NetworkLC) return " A ";
    return "";
}

void Clr_vTuneParam(core::AmpRecord& works) {
    platform::trace("TUNE CLEAR\n");
    works.tuneBestSwr = 0;
    core::TuneSearchState& state = works.tuneSearch;
    state.tuneParam = {};
    state.miglioretuneParam = {};
    state.vTuneParam.fill({});
    for (auto& half : state.TUNEtableL) half.fill({});
}

void Clr_vTuneParam_fast(core::AmpRecord& works) {
    platform::trace("TUNE CLEAR\n");
    core::TuneSearchState& state = works.tuneSearch;
    state.vTuneParam.fill({});
    state.tuneParam = presentMeasurement(works);
    state.miglioretuneParam = state.tuneParam;
    state.starttuneParam = state.tuneParam;
    platform::trace("START : SWRstart %05.2f \n", d(state.tuneParam.swr));
}

void CtrlNuovoTune(core::TuneSearchState& state) {
    const core::TuneRecord& now = state.tuneParam;
    if (betterThan(now, state.miglioretuneParam)) {
        state.miglioretuneParam = now;
        platform::trace("Migliore: SWR %05.2f (L%i C%i) \n", d(now.swr), now.L, now.C);
    }
    std::shift_right(state.vTuneParam.begin(), state.vTuneParam.end(), 1);
    state.vTuneParam[0] = now;
}

void TuneTableSearchL(core::TuneSearchState& state) {
    const core::TuneRecord& now = state.tuneParam;
    int row = now.L == 0 ? 0 : std::countr_zero(static_cast<uint32_t>(now.L));
    if (now.tuneValue & core::tuneValue::NetworkCL) row += kModeRowOffset;
    core::TuneRecord& stored = state.TUNEtableL[0][static_cast<size_t>(row)];
    if (now.swr > 0 && now.swr < stored.swr) {
        stored = now;
        platform::trace("\n Insert TuneTable Course %i: SWR %05.2f (L%i C%i)", row, d(now.swr), now.L, now.C);
    }
}

void SortTuneTab(core::TuneSearchState& state) {
    platform::trace(" ---------------------- SORT TABLE:\n");
    auto& coarse = state.TUNEtableL[0];
    for (size_t pass = 1; pass < coarse.size(); ++pass)
        for (size_t i = 0; i + pass < coarse.size(); ++i)
            if (coarse[i].swr > coarse[i + 1].swr) std::swap(coarse[i], coarse[i + 1]);
}

void SortTuneTab2(core::TuneSearchState& state) {
    platform::trace(" ---------------------- SORT TABLE:\n");
    auto& coarse = state.TUNEtableL[0];
    auto& fine = state.TUNEtableL[1];
    for (size_t pass = 1; pass < fine.size(); ++pass)
        for (size_t i = 0; i + pass < fine.size(); ++i)
            if (fine[i].swr > fine[i + 1].swr) {
                std::swap(fine[i], fine[i + 1]);
                std::swap(coarse[i], coarse[i + 1]);
            }
}

void StampaTuneTabL(const core::TuneSearchState& state) {
    for (size_t row = 0; row < static_cast<size_t>(core::kCoarseRows); ++row) {
        const core::TuneRecord& coarse = state.TUNEtableL[0][row];
        const core::TuneRecord& fine = state.TUNEtableL[1][row];
        platform::trace("%2zu) SWR %05.2f L%4d C%4d T %08x | SWR %05.2f L%4d C%4d T %08x\n", row,
                        d(coarse.swr), coarse.L, coarse.C, coarse.tuneValue, d(fine.swr), fine.L, fine.C,
                        fine.tuneValue);
    }
}

void TuneEnd(core::AmpRecord& works) {
    core::TuneSearchState& state = works.tuneSearch;
    const core::TuneRecord best = state.miglioretuneParam;
    state.tuneParam = best;
    works.swr = best.swr;
    works.powerFwd = best.fwd;
    applyTuneRecord(works, best);
    works.tuneBestSwr = best.swr;
    platform::trace(
        "miglioretuneParam %d-%d) SWR %05.2f FRW %05.2f L%4d C%4d T %08x %s (==>SWR %05.2f) TuneEnd\n",
        works.tuneStep.load(), works.cnttune.load(), d(best.swr), d(best.fwd), best.L, best.C, best.tuneValue,
        networkTag(best.tuneValue), d(best.swr));
}

}  // namespace tuner
