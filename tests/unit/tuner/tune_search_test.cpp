#include "tuner/tune_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/status_bits.h"
#include "core/tune_lock.h"
#include "core/tune_value_bits.h"
#include "test_station.h"
#include "tuner/tune_index.h"
#include "tuner/tune_memory.h"
#include "tuner/tune_records.h"
#include "tuner/tune_word.h"

namespace {

using testing_support::TestStation;
using SwrModel = std::function<float(int32_t c, int32_t l, uint8_t mode)>;

constexpr int32_t kFrequency = 14074000;

struct TuneSearchRig : TestStation {
    TuneSearchRig() {
        works.frequency = kFrequency;
        works.adcPowerIn = 500;
        works.powerFwd = 100;
        works.AutoTuneMode = 1;
        works.tuneValue = core::tuneValue::NetworkCL;
        works.errorsHeld = 0;  // the amplifier has answered
    }

    // The link around the search: drains the start commands, measures the word it sent and
    // runs one step per status reply. Returns the number of TuneTask calls.
    int run(const SwrModel& model, int maxSteps = 5000) {
        int steps = 0;
        while (works.tuneState != 0 && steps < maxSteps) {
            const uint32_t word = works.tuneValue;
            works.swr = model(tuner::DecodeCapacitaFromTuneval(word),
                              tuner::DecodeInduttanzaFromTuneval(word), tuner::DecodeModoFromTuneval(word));
            if (works.swr <= 10.0f) works.tuneState = 3;
            tuner::TuneTask(works);
            ++steps;
            maxC = std::max(maxC, tuner::DecodeCapacitaFromTuneval(works.tuneValue));
            if (works.tuneState == 2) works.ampStatus &= static_cast<uint8_t>(~core::ampStatus::SwrAlarm);
            if (works.tuneState != 0) works.tuneState = 1;
            while (works.cmdRing.pop()) {
            }
            works.cmdBurst = 0;
        }
        return steps;
    }

    [[nodiscard]] core::TuneMemRecord stored() const {
        return tuner::LoadTuneValFromTabRam(tuner::AtuIdxSearch(kFrequency), 0, works);
    }
    [[nodiscard]] bool memoryFileWritten() { return std::filesystem::exists(path("/opt/set/atu_ant1.txt")); }
    [[nodiscard]] int countLog(const std::string& text) const {
        int count = 0;
        for (const auto& line : log.lines(platform::LogChannel::Trace))
            count += line.find(text) != std::string::npos;
        return count;
    }

    int32_t maxC = 0;
};

// A bowl in the "CL" network with its minimum SWR 1.2 at C 70, L 40; " LC" is poor everywhere.
float bowl(int32_t c, int32_t l, uint8_t mode) {
    if (mode != tuner::kModeCL) return 20.0f;
    return 1.2f + 0.05f * static_cast<float>((c - 70) * (c - 70) + (l - 40) * (l - 40));
}

TEST(TuneSearch, CompleteSearchEndsAtTheBowlMinimumAndStoresIt) {
    TuneSearchRig rig;
    tuner::StartAutotune(rig.works);
    rig.run(bowl);
    EXPECT_EQ(rig.works.tuneState, 0);
    EXPECT_EQ(rig.works.tuneStep, 211);
    EXPECT_EQ(rig.works.tuneC, 70);
    EXPECT_EQ(rig.works.tuneL, 40);
    EXPECT_EQ(tuner::DecodeModoFromTuneval(rig.works.tuneValue), tuner::kModeCL);
    core::TuneMemRecord record = rig.stored();
    EXPECT_EQ(record.valid, 1);
    EXPECT_EQ(record.C, 70);
    EXPECT_EQ(record.L, 40);
    EXPECT_TRUE(rig.memoryFileWritten());
    EXPECT_TRUE(rig.works.errors.codes().empty());
}

TEST(TuneSearch, TargetMetAtACoarseStepEndsAndStoresAtOnce) {
    TuneSearchRig rig;
    rig.works.SWRescAutoTune = 1.5f;
    tuner::StartAutotune(rig.works);
    int steps = rig.run([](int32_t c, int32_t l, uint8_t mode) {
        return c == 8 && l == 16 && mode == tuner::kModeLC ? 1.4f : 5.0f;
    });
    EXPECT_LT(steps, 71);
    EXPECT_EQ(rig.works.tuneState, 0);
    EXPECT_TRUE(rig.log.contains("ESC AUTO TUNE TARGET FOUND! 01.40"));
    core::TuneMemRecord record = rig.stored();
    EXPECT_EQ(record.valid, 1);
    EXPECT_EQ(record.mode, tuner::kModeLC);
    EXPECT_EQ(record.C, 8);
    EXPECT_EQ(record.L, 16);
    EXPECT_TRUE(rig.memoryFileWritten());
}

TEST(TuneSearch, WithoutTargetOnlyAFineStepEndsAtSwr11OrAtZero) {
    for (float swr : {1.05f, 0.0f}) {
        TuneSearchRig rig;
        const uint32_t before = tuner::withInductor(tuner::withCapacitor(core::tuneValue::NetworkLC, 33), 44);
        rig.works.tuneValue = before;
        tuner::StartAutotune(rig.works);
        rig.run([swr](int32_t, int32_t, uint8_t) { return swr; });
        EXPECT_EQ(rig.works.tuneState, 0);
        EXPECT_EQ(rig.works.tuneStep, 455) << swr;  // the first fine step, after the whole coarse scan
        EXPECT_TRUE(rig.log.contains("y-ESC AUTO TUNE TARGET FOUND!"));
        // Without forward power nothing was measured: nothing is stored, the search
        // failed and the tuner keeps the word it had.
        const bool measured = swr > 0;
        EXPECT_EQ(rig.stored().valid, measured ? 1 : 0) << swr;
        EXPECT_EQ(core::ExistError(rig.works, core::err::TuneMaxSwr), measured ? 0 : 1) << swr;
        if (!measured) {
            EXPECT_EQ(rig.works.tuneValue, before);
            EXPECT_EQ(rig.works.tuneC, 33);
            EXPECT_EQ(rig.works.tuneL, 44);
        }
    }
}

TEST(TuneSearch, AStopByTheKeyEndsOnceAndNothingRevivesOrStoresIt) {
    TuneSearchRig rig;
    rig.works.SWRescAutoTune = 1.5f;
    tuner::StartAutotune(rig.works);
    rig.run([](int32_t, int32_t, uint8_t) { return 5.0f; }, 20);
    tuner::GoTune(rig.works);  // the key, between two status replies
    ASSERT_EQ(rig.works.tuneState, 0);
    // The link's step of the reply already on its way: the target is met and an SWR alarm is up.
    rig.works.swr = 1.2f;
    rig.works.ampStatus = core::ampStatus::SwrAlarm;
    tuner::TuneTask(rig.works);
    tuner::EscAutoTune(rig.works, 1);
    EXPECT_EQ(rig.works.tuneState, 0);
    EXPECT_EQ(rig.countLog("------- Esc AutoTune"), 1);
    EXPECT_EQ(rig.stored().valid, 0);
    EXPECT_FALSE(rig.memoryFileWritten());
}

// Both rigs stand at the first fine step; the second is made last, so it holds the log.
TEST(TuneSearch, CapacitorClimbStopsAt511AndAnSwrAlarmCountsAs100AndRestartsTheLinkPhase) {
    TuneSearchRig rig, alarmed;
    for (TuneSearchRig* fine : {&rig, &alarmed}) {
        fine->works.tuneState = 1;
        fine->works.tuneStep = 451;
        fine->works.counterC = 3;
    }
    tuner::setTuneC(rig.works, 510);
    rig.works.tuneSearch.miglioretuneParam = tuner::presentMeasurement(rig.works);
    rig.run([](int32_t, int32_t, uint8_t) { return 5.0f; }, 2);
    EXPECT_EQ(rig.maxC, 511);
    EXPECT_EQ(rig.works.tuneStep, 452);
    EXPECT_EQ(rig.works.tuneSearch.vTuneParam[0].swr, 999.0f);  // TuneStepComplete keeps no history

    alarmed.works.ampStatus = core::ampStatus::SwrAlarm;
    alarmed.works.swr = 1.0f;  // would meet the fine target without the alarm
    tuner::TuneTask(alarmed.works);
    EXPECT_EQ(alarmed.works.tuneState, 2);
    EXPECT_EQ(alarmed.works.tuneSearch.tuneParam.swr, 100.0f);
    EXPECT_EQ(alarmed.works.cnttune, 1);
    EXPECT_TRUE(alarmed.log.contains("Err 1 SWR 100.00"));
}

TEST(TuneSearch, BudgetRunsOutAfterThe101stStep) {
    for (float target : {0.0f, 1.05f}) {
        TuneSearchRig rig;
        rig.works.AutoTuneMaxCicli = 4;
        rig.works.SWRescAutoTune = target;
        rig.works.tuneFine = 1;
        tuner::StartAutotune(rig.works);
        rig.run([](int32_t, int32_t, uint8_t) { return 5.0f; });
        EXPECT_TRUE(rig.log.contains("101 max cicli-> esco\n"));
        const int32_t raised = target != 0 ? core::err::TuneSwrTimeout : core::err::TuneTimeout;
        const int32_t other = target != 0 ? core::err::TuneTimeout : core::err::TuneSwrTimeout;
        EXPECT_EQ(core::ExistError(rig.works, raised), 1);
        EXPECT_EQ(core::ExistError(rig.works, other), 0);
        EXPECT_TRUE(rig.log.contains("PROTEZIONE ON"));
        EXPECT_EQ(rig.stored().valid, 0);
    }
}

TEST(TuneSearch, OnlyCoarseRowsBelow10AreRefinedAtMostThree) {
    struct Case {
        float slope;
        int refined;
    };
    // Rows of L 32 and 64 lie below 10 with slope 1/4; rows L 0 to 64 with 1/8.
    for (Case test : {Case{0.25f, 2}, Case{0.125f, 3}}) {
        TuneSearchRig rig;
        tuner::StartAutotune(rig.works);
        rig.run([&test](int32_t c, int32_t l, uint8_t mode) {
            if (mode != tuner::kModeCL) return 50.0f;
            return 2.0f + test.slope * static_cast<float>(std::abs(l - 48)) +
                   static_cast<float>(std::abs(c - 64)) / 64;
        });
        EXPECT_EQ(rig.countLog("NEXT TUNE FINE"), test.refined - 1);
        int fineResults = 0;
        for (const auto& row : rig.works.tuneSearch.TUNEtableL[1]) fineResults += row.swr < 999.0f;
        EXPECT_EQ(fineResults, test.refined);
        EXPECT_EQ(rig.works.tuneStep, 211);
    }
}

TEST(TuneSearch, StartQueuesTheTuneCommandsAndWaitsForThem) {
    TuneSearchRig rig;
    rig.works.ampStatus0 = core::ampStatus0::CoaxRxTx;
    tuner::StartAutotune(rig.works);
    EXPECT_EQ(rig.works.tuneStep, 400);
    EXPECT_EQ(rig.works.cmdBurst, 1);
    tuner::TuneTask(rig.works);
    EXPECT_EQ(rig.works.tuneStep, 400);
    std::vector<int32_t> codes;
    while (auto code = rig.works.cmdRing.pop()) codes.push_back(*code);
    using namespace core::cmd;
    EXPECT_EQ(codes, (std::vector<int32_t>{ProtectionOn, AntennaInput, TuneAttenuator, Thresholds,
                                           ClearProtections, ProtectionOff}));
}

TEST(TuneSearch, StartRefusedAndTuneKeyStops) {
    TuneSearchRig rig;
    rig.works.tunerBypass = 1;
    rig.works.ModeWorkIdx = 1;
    tuner::GoTune(rig.works);
    EXPECT_EQ(rig.works.tuneState, 0);
    EXPECT_EQ(rig.works.tuneTxState, core::tuneTxState::RxSent);  // no carrier asked for
    EXPECT_FALSE(rig.works.cmdRing.pop());
    // Without the transceiver nothing would clear that flag again: the key would stay dead.
    rig.works.tuneTxState = 0;
    rig.works.ModeWorkIdx = 0;
    tuner::GoTune(rig.works);
    EXPECT_EQ(rig.works.tuneTxState, 0);
    rig.works.ModeWorkIdx = 1;

    rig.works.tuneTxState = 0;
    rig.works.AutoTuneMode = 0;
    tuner::GoTune(rig.works);
    EXPECT_TRUE(rig.works.panelFlags & core::panelFlags::TuneDisabled);
    EXPECT_TRUE(rig.log.contains("NO TUNE!!"));

    rig.works.AutoTuneMode = 1;
    rig.works.tunerBypass = 0;
    rig.works.transceiverTx = 1;
    tuner::GoTune(rig.works);
    EXPECT_EQ(rig.works.tuneState, 1);
    EXPECT_EQ(rig.works.tuneTxState, core::tuneTxState::PanelTune);
    rig.run(bowl, 100);
    tuner::GoTune(rig.works);
    EXPECT_EQ(rig.works.tuneState, 0);
    EXPECT_TRUE(rig.log.contains("esc tune TUNEMENU"));
    EXPECT_EQ(rig.stored().valid, 0);
    EXPECT_FALSE(rig.memoryFileWritten());
}

TEST(TuneSearch, SearchStopsWhenTheTransceiverStopsOrNeverDrives) {
    TuneSearchRig rig;
    rig.works.ModeWorkIdx = 1;
    rig.works.transceiverTx = 1;
    tuner::StartAutotune(rig.works);
    rig.run(bowl, 40);
    rig.works.transceiverTx = 0;
    rig.run(bowl, 1);
    EXPECT_EQ(rig.works.tuneState, 0);
    EXPECT_TRUE(rig.works.tuneTxState & core::tuneTxState::RxSent);

    TuneSearchRig idle;
    idle.works.tuneFine = 1;
    idle.works.adcPowerIn = 0;
    idle.works.tuneBestSwr = 1.3f;  // left from an earlier search
    tuner::StartAutotune(idle.works);
    idle.run(bowl);
    EXPECT_TRUE(idle.log.contains("ERRORE TUNE PWR IN!!!"));
    EXPECT_EQ(idle.works.tuneState, 0);
    EXPECT_EQ(idle.stored().valid, 0);
}

TEST(TuneLock, AHolderThatNeverUnlocksIsTakenOverAfterABoundedWait) {
    testing_support::TestStation station;
    core::TuneLock& lock = station.works.tuneLock;
    lock.lock();
    lock.lock();  // the first holder forgot to unlock
    EXPECT_TRUE(lock.held());
    EXPECT_TRUE(station.log.contains("tune lock held for over 1000 ms: taken over"));
}

}  // namespace
