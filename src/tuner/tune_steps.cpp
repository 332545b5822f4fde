#include "tuner/tune_steps.h"

#include <chrono>

#include "core/flag_bits.h"
#include "core/record/amp_record.h"
#include "core/status_bits.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "tuner/tune_records.h"
#include "tuner/tune_search.h"

namespace tuner {
namespace {

constexpr float kAlarmSwr = 100.0f;
constexpr float kNoiseSwr = 0.01f;
constexpr float kDefaultFineTarget = 1.1f;
constexpr int32_t kDriveCounts = 30;  // adcPowerIn above this: the transceiver drives
constexpr int32_t kDriveWaits = 30;
constexpr int32_t kDriveReadings = 3;
constexpr int32_t kMakerTransceiver = 1;  // ModeWorkIdx

double d(float value) {
    return static_cast<double>(value);
}

// What every evaluation does first: the SWR alarm, the reading and its log line.
void takeReading(core::AmpRecord& works) {
    const bool alarm = (works.ampStatus & core::ampStatus::SwrAlarm) != 0;
    if (alarm) {
        // The link clears the protection with "CPFFFF;" before the next step; a search
        // stopped meanwhile stays stopped.
        works.swr = kAlarmSwr;
        uint8_t state = works.tuneState;
        while (state != 0 && !works.tuneState.compare_exchange_weak(state, 2)) {
        }
    }
    core::TuneRecord& now = works.tuneSearch.tuneParam;
    now = presentMeasurement(works);
    if (now.swr > 0) works.tuneMeasured = 1;
    platform::trace("%d-%d) Err %sSWR %05.2f FWD %05.2f L %04d C %04d T %08x %s", works.tuneStep.load(),
                    works.cnttune.load(), alarm ? "1 " : "0 ", d(now.swr), d(now.fwd), now.L, now.C,
                    now.tuneValue, networkTag(now.tuneValue));
    ++works.cnttune;
}

void targetFound(core::AmpRecord& works) {
    TuneEnd(works);
    EscAutoTune(works, 1);
}

bool targetA(core::AmpRecord& works) {
    const float swr = works.tuneSearch.tuneParam.swr;
    const float target = works.SWRescAutoTune;
    if (!(swr < target && swr > kNoiseSwr)) return false;
    platform::trace("ESC AUTO TUNE TARGET FOUND! %05.2f ( %01.4f) FOUND -> %05.2f!\n", d(swr), d(target),
                    d(works.tuneSearch.miglioretuneParam.swr));
    targetFound(works);
    return true;
}

bool targetB(core::AmpRecord& works) {
    const float swr = works.tuneSearch.tuneParam.swr;
    const float target = works.SWRescAutoTune;
    if (target > 1.0f) {
        if (!(swr < target && swr > kNoiseSwr)) return false;
        platform::trace("x-ESC AUTO TUNE TARGET FOUND! %05.2f ( %01.4f) FOUND!\n", d(swr), d(target));
    } else {
        if (!(swr <= kDefaultFineTarget)) return false;
        platform::trace("y-ESC AUTO TUNE TARGET FOUND! %05.2f ( %01.4f) FOUND!\n", d(swr), d(target));
    }
    targetFound(works);
    return true;
}

// The end of every evaluation: 1 when the target or the transceiver ended the search.
int finish(core::AmpRecord& works, bool targetMet) {
    if (targetMet) return 1;
    VerifyStopAutotune(works);
    return works.tuneState == 0 ? 1 : 0;
}

}  // namespace

int TuneStep(core::AmpRecord& works) {
    takeReading(works);
    CtrlNuovoTune(works.tuneSearch);
    TuneTableSearchL(works.tuneSearch);
    return finish(works, targetA(works));
}

int TuneStepComplete(core::AmpRecord& works) {
    takeReading(works);
    core::TuneSearchState& state = works.tuneSearch;
    if (betterThan(state.tuneParam, state.miglioretuneParam)) {
        state.miglioretuneParam = state.tuneParam;
        platform::trace("MIGLIORE:SWR %05.2f L %04d C %04d\n", d(state.tuneParam.swr), state.tuneParam.L,
                        state.tuneParam.C);
    }
    return finish(works, targetB(works));
}

int TuneStepCompleteFine(core::AmpRecord& works) {
    takeReading(works);
    CtrlNuovoTune(works.tuneSearch);
    return finish(works, targetB(works));
}

void WaitTune1(core::AmpRecord& works) {
    if (works.ModeWorkIdx == kMakerTransceiver && works.transceiverTx != 1) return;
    works.platform->clock().sleepFor(std::chrono::milliseconds(3));
    works.fineRow = kDriveReadings;
    works.cnttune = 0;
    ++works.tuneStep;
}

void WaitTune2(core::AmpRecord& works) {
    works.platform->clock().sleepFor(std::chrono::milliseconds(10));
    bool driven = false;
    if (works.adcPowerIn > kDriveCounts && --works.fineRow <= 0) {
        ++works.tuneStep;
        driven = true;
    }
    ++works.cnttune;
    if (!driven && works.cnttune > kDriveWaits) {
        platform::trace("ERRORE TUNE PWR IN!!!\n ");
        works.tuneStep = kStepEnd;
    }
    platform::trace("wait tune... %i (%i)\n ", works.cnttune.load(),
                    static_cast<int>(works.adcPowerIn.load()));
    works.panelFlags |= core::panelFlags::WaitingForTune;
}

void VerifyStopAutotune(core::AmpRecord& works) {
    if (works.ModeWorkIdx != kMakerTransceiver || works.transceiverTx != 0) return;
    EscAutoTune(works, 0, TuneExit::TransmissionEnded);
    works.tuneTxState |= core::tuneTxState::RxSent;
}

}  // namespace tuner
