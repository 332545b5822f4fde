#include "tuner/antenna_selection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "core/amp_commands.h"
#include "core/flag_bits.h"
#include "test_station.h"
#include "tuner/tune_memory.h"

using testing_support::TestStation;

namespace {

namespace cmd = core::cmd;

// The default table; the 40 m row (index 3) is returned for the test to set up.
core::AntennaRow& fortyMetres(TestStation& station) {
    tuner::InitTabAntenna(station.works, 0);
    return station.antennaRows()[3];
}

std::vector<int32_t> apply(core::Works& works, int32_t frequency) {
    works.frequency = frequency;
    tuner::GestioneAntennaAutomatica(works);
    std::vector<int32_t> codes;
    while (std::optional<int32_t> code = works.cmdRing.pop()) codes.push_back(*code);
    return codes;
}

TEST(AntennaSelection, EndFrequencyIsInTheRowAndOneHertzMoreInNone) {
    TestStation station;
    core::Works& works = station.works;
    core::AntennaRow& row = fortyMetres(station);
    row = {"40m", 7000000, 7300000, 1, 2, 1, 2, 2.55f};
    works.bypass = 1;
    EXPECT_EQ(apply(works, 7300000), (std::vector<int32_t>{cmd::SelectAntenna, cmd::TunerBypass,
                                                           cmd::LeaveBypass, cmd::Attenuator}));
    EXPECT_EQ(works.antennaRow, 3);
    EXPECT_EQ(works.NumAntenna, 1);
    EXPECT_EQ(works.attenuator, 2);
    EXPECT_EQ(works.attenuatorKey, 2);
    EXPECT_TRUE(station.log.contains("---------------  ANTENNA AUTOMATICA: 0 (set 0), 2 (3)\n"));

    works.NumAntenna = 0;
    works.attenuator = 0;
    EXPECT_TRUE(apply(works, 7300001).empty());
    EXPECT_EQ(works.antennaRow, 100);
    EXPECT_EQ(works.NumAntenna, 0);
    EXPECT_EQ(works.attenuator, 0);
}

TEST(AntennaSelection, AntennaIsSelectedOnlyWhenItChangesAndExists) {
    TestStation station;
    core::Works& works = station.works;
    core::AntennaRow& row = fortyMetres(station);  // tuner by-pass 1, amplifier off and in by-pass
    for (int antenna : {0, 3, 4, 200}) {
        row.antenna = static_cast<uint8_t>(antenna);
        works.NumAntenna = 2;
        EXPECT_EQ(apply(works, 7100000), (std::vector<int32_t>{cmd::TunerBypass})) << antenna;
        EXPECT_EQ(works.NumAntenna, 2) << antenna;
    }
    row.antenna = 1;
    EXPECT_EQ(apply(works, 7100000), (std::vector<int32_t>{cmd::SelectAntenna, cmd::TunerBypass}));
    EXPECT_EQ(works.NumAntenna, 0);
}

TEST(AntennaSelection, DrivePowerIsRoundedDownToTenthsOfAWatt) {
    // 0 asks nothing; above 9.999 W the four digits of the request are full.
    for (auto [watts, asked] : {std::pair{2.55f, 2500},
                                {0.05f, 0},
                                {0.1f, 100},
                                {-3.0f, 0},
                                {50.0f, 9900},
                                {NAN, 0},
                                {INFINITY, 9900}}) {
        TestStation station;
        fortyMetres(station).drivePower = watts;
        station.works.powerValue = 1200;
        apply(station.works, 7000000);
        EXPECT_EQ(station.works.powerValue, asked == 0 ? 1200 : asked) << watts;
        EXPECT_EQ(station.works.powerRequest, asked == 0 ? 0 : core::powerRequest::Send) << watts;
        EXPECT_EQ(station.log.contains("GO ANTENNA TAB :  2500  2500\n"), asked == 2500) << watts;
    }
}

TEST(AntennaSelection, TuneRecallNeedsAStoredTuneInTheSegment) {
    TestStation station;
    core::Works& works = station.works;
    fortyMetres(station).tunerBypass = 0;
    // 7 150 000 Hz is index 2130 of the segment 2100..2159.
    tuner::SaveTuneValsuTabRam({1, 1, 100, 0}, 50, 2160, 0, works);  // the next segment
    tuner::SaveTuneValsuTabRam({1, 1, 100, 0}, 50, 2110, 1, works);  // another antenna
    EXPECT_EQ(apply(works, 7150000), (std::vector<int32_t>{cmd::DefaultTune}));
    tuner::SaveTuneValsuTabRam({1, 1, 100, 0}, 50, 2110, 0, works);
    EXPECT_EQ(apply(works, 7150000), (std::vector<int32_t>{cmd::RecallTune}));
    works.NumAntenna = 3;  // no such antenna, so nothing stored for it
    tuner::GestioneLoadTuneVal(works);
    EXPECT_EQ(works.cmdRing.pending(), (std::vector<int32_t>{cmd::DefaultTune}));
    works.cmdRing.clear();
    works.tuneState = 1;  // a search runs: no recall
    tuner::GestioneLoadTuneVal(works);
    EXPECT_TRUE(works.cmdRing.empty());
}

TEST(AntennaSelection, AmplifierFollowsTheRow) {
    struct Case {
        uint8_t ampOn, bypass, attenuator;
        std::vector<int32_t> codes;
    };
    for (const Case& c : {Case{1, 1, 0, {44, 19}}, Case{1, 0, 3, {44, 14}}, Case{1, 0, 0, {44}},
                          Case{0, 0, 0, {44, 20}}, Case{0, 1, 0, {44}}}) {
        TestStation station;
        core::AntennaRow& row = fortyMetres(station);
        row.ampOn = c.ampOn;
        row.attenuator = c.attenuator;
        station.works.bypass = c.bypass;
        station.works.attenuatorKey = 4;
        EXPECT_EQ(apply(station.works, 7000000), c.codes) << int(c.ampOn) << int(c.bypass);
        EXPECT_EQ(station.works.attenuatorKey, c.ampOn == 1 ? c.attenuator : 4);
    }
}

}  // namespace
