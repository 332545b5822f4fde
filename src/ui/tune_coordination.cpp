#include "ui/tune_coordination.h"

#include "core/errors.h"
#include "tuner/tune_search.h"

namespace ui {
namespace {

// tuneTxState
constexpr uint8_t kStartedByTransmission = 0x02, kRxSent = 0x08, kPanelTune = 0x10, kSendCarrier = 0x20,
                  kCarrierSent = 0x40;
constexpr int kErrorTuneAborted = 14;
constexpr int32_t kRxSettleTicks = 10;
constexpr int32_t kCarrierWaitTicks = 31;

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
        works.tuneTxState |= kStartedByTransmission;
        resetCounters(works);
    } else if (works.carrierHoldoff > 0) {
        --works.carrierHoldoff;
    }
}

void settleAfterRx(core::Works& works, bool transmitting) {
    if (works.tuneTickMark + kRxSettleTicks < works.tuneTickCount) {
        clearBits(works, kStartedByTransmission | kPanelTune | kRxSent);
        if (!transmitting) resetCounters(works);
        return;
    }
    if (works.tuneTickMark == 0) works.tuneTickMark = works.tuneTickCount;
    ++works.tuneTickCount;
}

// The carrier was asked for and the transceiver does not transmit.
void waitForCarrier(core::Works& works) {
    if (works.tuneTickCount < kCarrierWaitTicks) ++works.tuneTickCount;
    if (works.tuneTickCount < kCarrierWaitTicks) return;
    tuner::EscAutoTune(works, 0);
    core::AddErrore(works, kErrorTuneAborted);
    clearBits(works, kPanelTune | kSendCarrier | kCarrierSent);
}

void followPanelTune(core::Works& works, bool transmitting) {
    const uint8_t state = works.tuneTxState;
    if (transmitting) {
        if ((state & kCarrierSent) == 0) resetCounters(works);
        return;
    }
    // Counting also while the request is still unsent: with no link to send it, the
    // tune would otherwise wait for a carrier for ever.
    if ((state & (kSendCarrier | kCarrierSent)) != 0) {
        waitForCarrier(works);
    } else if (works.cmdRing.empty()) {
        works.tuneTxState |= kSendCarrier;
        resetCounters(works);
    }
}

}  // namespace

void CoordinateTune(core::Works& works, bool transmitting) {
    if ((works.TUNEenabled & 1) == 0) return;
    const uint8_t state = works.tuneTxState;
    if (transmitting && (state & (kStartedByTransmission | kPanelTune)) == 0)
        startOnTransmission(works);
    else if ((state & kRxSent) != 0)
        settleAfterRx(works, transmitting);
    else if ((state & kPanelTune) != 0)
        followPanelTune(works, transmitting);
}

}  // namespace ui
