#include <chrono>

#include "amp/startup_commands.h"
#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/record/amp_record.h"
#include "core/record/setup_record.h"
#include "core/status_bits.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "tuner/tune_memory.h"
#include "tuner/tune_records.h"
#include "tuner/tune_search.h"
#include "tuner/tune_word.h"

namespace tuner {
namespace {

constexpr int32_t kMakerTransceiver = 1;  // ModeWorkIdx

// The band's input-power trip, lifted for the search, is back on whatever ended it.
void restoreInputThreshold(core::AmpRecord& works) {
    works.ampThresholds[0] = works.inputThresholdBeforeTune.load();
    amp::IncPNTIn_CMDLinear(core::cmd::Thresholds, works);
    works.thresholdRow = core::kThresholdsUnsent;
}

// Without a single reading the search found nothing: the tuner keeps the word it had.
void restoreWordBeforeSearch(core::AmpRecord& works) {
    const uint32_t word = works.tuneWordBeforeSearch;
    applyTuneRecord(
        works,
        {.L = DecodeInduttanzaFromTuneval(word), .C = DecodeCapacitaFromTuneval(word), .tuneValue = word});
    amp::IncPNTIn_CMDLinear(core::cmd::TuneWord, works);
}

}  // namespace

void EscAutoTune(core::AmpRecord& works, int store, TuneExit why) {
    // Whoever clears the state ends the search: a stop racing the search's own
    // end neither stores nor ends it twice.
    uint8_t state = works.tuneState;
    do {
        if (state == 0) return;
    } while (!works.tuneState.compare_exchange_weak(state, 0));

    const float best = works.tuneBestSwr;
    bool stored = false;
    if (works.tuneMeasured == 0) {
        restoreWordBeforeSearch(works);
        if (store == 1) {
            core::AddErrore(works, core::err::TuneMaxSwr);
            platform::trace("------- ERRORE TUNE: no forward power measured\n");
        }
    } else if (best > kMaxStoredSwr) {
        core::AddErrore(works, core::err::TuneMaxSwr);
        platform::trace("------- ERRORE MAX TUNE (%f)\n", static_cast<double>(best));
    } else if (store == 1) {
        stored = InsertTuneToMem(works, works.NumBanco, works.NumAntenna);
    }
    logTuneEnded(works, why, stored);
    works.platform->clock().sleepFor(std::chrono::milliseconds(1000));
    amp::IncPNTIn_CMDLinear(core::cmd::Attenuator, works);
    works.cnttune = 0;
    if (works.AutoTuneMode & 1) works.tuneTxState |= core::tuneTxState::SendRx;
    restoreInputThreshold(works);
    platform::trace("------- Esc AutoTune (0x%x)\n", static_cast<unsigned>(works.tuneTxState.load()));
    works.panelFlags &= static_cast<uint8_t>(~core::panelFlags::WaitingForTune);
}

void GoTune(core::AmpRecord& works) {
    if (works.TUNEenabled < 0) return;
    if (works.tuneState != 0) {
        platform::trace("esc tune TUNEMENU\n");
        EscAutoTune(works, 0, TuneExit::StoppedByUser);
        return;
    }
    platform::trace("c-START TUNE (%x)!!\n", static_cast<unsigned>(works.tuneTxState.load()));
    if (!(works.AutoTuneMode & 1) || (works.tuneTxState & core::tuneTxState::RxSent)) {
        platform::trace("NO TUNE!!\n");
        logTuneRefused(works.AutoTuneMode & 1 ? "the last tune is still ending" : "automatic tune is off");
        works.panelFlags |= core::panelFlags::TuneDisabled;
        return;
    }
    StartAutotune(works);
    logTuneStarted(works, TuneOrigin::Panel);
    platform::trace("b-START TUNE %i!!\n", works.tuneStep.load());
    // A start refused (tuner in by-pass) must not have the transceiver send a carrier.
    if (works.ModeWorkIdx == 1 && works.tuneState != 0) {
        works.tuneTxState &= static_cast<uint8_t>(~core::tuneTxState::CarrierSent);
        works.tuneTxState |= core::tuneTxState::PanelTune;
        platform::trace("a-START TUNE!!\n");
    }
}

void StartAutotune(core::AmpRecord& works) {
    platform::trace("START AUTOTUNE!!!!!!!!!!!!!!!!!!!!!!!!!!\n ");
    if (works.tunerBypass == 1) {
        // Only the transceiver's tune coordination clears this again; elsewhere it would lock the tune key.
        if (works.ModeWorkIdx == kMakerTransceiver) works.tuneTxState |= core::tuneTxState::RxSent;
        return;
    }
    works.tuneBestSwr = 0;
    works.tuneMeasured = 0;
    works.tuneWordBeforeSearch = works.tuneValue.load();
    works.inputThresholdBeforeTune = works.ampThresholds[0].load();
    if (works.tuneFine == 1) {
        works.tuneStep = 200;
        platform::trace("TUNE FINE------------!!!!!!!!!!!!!!!!!!!!!!!!!!\n ");
    } else {
        works.tuneStep = 400;
        platform::trace("TUNE COMPLETE------------ TIPO: %c !!!!!!!!!!!!!!!!!!!!!!!!!!\n ",
                        works.setup->AutoTuneTipo.load());
    }
    amp::IncPNTIn_CMDLinear(core::cmd::ProtectionOn, works);
    if (works.ampStatus0 & core::ampStatus0::CoaxRxTx) {
        works.antennaIn = 0;
        amp::IncPNTIn_CMDLinear(core::cmd::AntennaInput, works);
    }
    amp::IncPNTIn_CMDLinear(core::cmd::TuneAttenuator, works);
    works.ampThresholds[0] = 4095;
    amp::IncPNTIn_CMDLinear(core::cmd::Thresholds, works);
    works.tunerBypass = 0;
    amp::IncPNTIn_CMDLinear(core::cmd::ClearProtections, works);
    amp::IncPNTIn_CMDLinear(core::cmd::ProtectionOff, works);
    works.cmdBurst = 1;
    works.tuneState = 1;
    platform::trace("----------------------------------- START AUTO TUNE (%x) %i\n",
                    static_cast<unsigned>(works.tuneTxState.load()), works.tuneState.load());
}

}  // namespace tuner
