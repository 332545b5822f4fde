// The alarm thresholds the amplifier trips on: sent for every band row, and
// back in force after a tune search lifted the input-power trip.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "amp/startup_commands.h"
#include "band_rows.h"
#include "core/amp_commands.h"
#include "test_station.h"
#include "tuner/tune_search.h"

namespace {

using testing_support::TestStation;

struct ThresholdRig : TestStation {
    ThresholdRig() {
        auto [low, high, end] = testing_support::twoBandRows();
        for (auto* row : {&low, &high})
            row->limitPwrIn = 10, row->limitFwd = 70, row->limitRefl = 20, row->limitCurrent = 10;
        works.bandConfig = {low, high, end};
    }
    // Codes queued since the last call.
    int thresholdsQueued() {
        int count = 0;
        while (auto code = works.cmdRing.pop()) count += *code == core::cmd::Thresholds;
        return count;
    }
};

TEST(AlarmThresholds, TheFirstBandRowIsSentAfterTheStartUpDefaults) {
    ThresholdRig rig;
    rig.works.frequency = 0;  // no carrier counted yet
    amp::InitMicroCmd(rig.works);
    EXPECT_EQ(rig.thresholdsQueued(), 1);
    EXPECT_EQ(rig.works.ampThresholds[0], 4095);
    amp::SearchCambioSoglie_TS(rig.works);
    EXPECT_EQ(rig.thresholdsQueued(), 0) << "the defaults go out once";

    rig.works.frequency = 1840000;  // 160 m: row 0
    amp::SearchCambioSoglie_TS(rig.works);
    EXPECT_EQ(rig.thresholdsQueued(), 1);
    EXPECT_EQ(rig.works.ampThresholds[0], 1347);
    EXPECT_EQ(rig.works.thresholdRow, 0);
}

TEST(AlarmThresholds, InputTripIsRestoredHoweverTheSearchEnds) {
    enum class End { TuneKey, NoDrive, Budget };
    for (End end : {End::TuneKey, End::NoDrive, End::Budget}) {
        ThresholdRig rig;
        core::Works& works = rig.works;
        works.frequency = 14074000;
        amp::SearchCambioSoglie_TS(works);
        const int32_t bandTrip = works.ampThresholds[0];
        ASSERT_LT(bandTrip, 4095);
        works.AutoTuneMode = 1;
        works.tuneFine = 1;
        works.AutoTuneMaxCicli = 4;
        works.adcPowerIn = end == End::NoDrive ? 0 : 500;
        works.swr = 3.0f;
        tuner::StartAutotune(works);
        EXPECT_EQ(works.ampThresholds[0], 4095);
        rig.thresholdsQueued();
        works.cmdBurst = 0;
        if (end == End::TuneKey) tuner::GoTune(works);
        for (int step = 0; step < 200 && works.tuneState != 0; ++step) tuner::TuneTask(works);
        ASSERT_EQ(works.tuneState, 0);
        EXPECT_EQ(works.ampThresholds[0], bandTrip) << static_cast<int>(end);
        EXPECT_EQ(rig.thresholdsQueued(), 1) << static_cast<int>(end);
    }
}

}  // namespace
