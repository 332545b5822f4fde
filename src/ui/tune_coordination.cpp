#include "ui/tune_coordination.h"

#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/works.h"
#include "tuner/tune_search.h"

namespace ui {
namespace {

constexpr int32_t kRxSettleTicks = 10;
constexpr int32_t kCarrierWaitTicks = 31;
// Five seconds of ticks for the tune's first commands to reach the amplifier.
constexpr int32_t kBurstWaitTicks = 125;

void clearBits(core::Works& works, uint8_t bits) {
    works.tuneTxState &= static_cast<uint8_t>(~bits);
}

void resetCounters(core::Works& works) {
    works.tuneTickCount = 0;
    works.tuneTickMark = 0;
}

void startOnTransmission(core::Works& works) {
    if (works.carrierControl == 0 && works.carrierHoldoff == 0) {
        tuner::StartAutotune(works);
        tuner::logTuneStarted(works, tuner::TuneOrigin::Transmission);
        works.tuneTxState |= core::tuneTxState::StartedByTransmission;
        resetCounters(works);
    } else if (works.carrierHoldoff > 0) {
        --works.carrierHoldoff;
    }
}

void settleAfterRx(core::Works& works, bool transmitting) {
    if (works.tuneTickMark + kRxSettleTicks < works.tuneTickCount) {
        clearBits(works, core::tuneTxState::StartedByTransmission | core::tuneTxState::PanelTune |
                             core::tuneTxState::RxSent);
        if (!transmitting) resetCounters(works);
        return;
    }
    if (works.tuneTickMark == 0) works.tuneTickMark = works.tuneTickCount;
    ++works.tuneTickCount;
}

void abortTune(core::Works& works) {
    tuner::EscAutoTune(works, 0, tuner::TuneExit::NoCarrier);
    core::AddErrore(works, core::err::TuneAborted);
    clearBits(works,
              core::tuneTxState::PanelTune | core::tuneTxState::SendCarrier | core::tuneTxState::CarrierSent);
}

// The carrier was asked for and the transceiver does not transmit.
void waitForCarrier(core::Works& works) {
    if (works.tuneTickCount < kCarrierWaitTicks) ++works.tuneTickCount;
    if (works.tuneTickCount >= kCarrierWaitTicks) abortTune(works);
}

void followPanelTune(core::Works& works, bool transmitting) {
    const uint8_t state = works.tuneTxState;
    if (transmitting) {
        if ((state & core::tuneTxState::CarrierSent) == 0) resetCounters(works);
        return;
    }
    // Counting also while the request is still unsent: with no link to send it, the
    // tune would otherwise wait for a carrier for ever.
    if ((state & (core::tuneTxState::SendCarrier | core::tuneTxState::CarrierSent)) != 0) {
        waitForCarrier(works);
    } else if (works.cmdRing.empty() || works.cmdBurst == 0) {
        // The tune's first commands are out. Whatever was queued after them
        // waits for the tune's end, so the ring need not be empty.
        works.tuneTxState |= core::tuneTxState::SendCarrier;
        resetCounters(works);
    } else if (++works.tuneTickCount >= kBurstWaitTicks) {
        abortTune(works);
    }
}

}  // namespace

void CoordinateTune(core::Works& works, bool transmitting) {
    if ((works.TUNEenabled & 1) == 0) return;
    const uint8_t state = works.tuneTxState;
    const uint8_t started = core::tuneTxState::StartedByTransmission | core::tuneTxState::PanelTune;
    if (transmitting && (state & started) == 0)
        startOnTransmission(works);
    else if ((state & core::tuneTxState::RxSent) != 0)
        settleAfterRx(works, transmitting);
    else if ((state & core::tuneTxState::PanelTune) != 0)
        followPanelTune(works, transmitting);
}

}  // namespace ui
