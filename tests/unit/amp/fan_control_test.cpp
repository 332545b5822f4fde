#include "amp/fan_control.h"

#include <gtest/gtest.h>

#include <fstream>

#include "amp/fan_table.h"
#include "core/amp_commands.h"
#include "test_station.h"

using testing_support::TestStation;

namespace core {
bool operator==(const FanRow& a, const FanRow& b) {
    return a.temperature == b.temperature && a.percent == b.percent;
}
}  // namespace core

namespace {

namespace cmd = core::cmd;

const std::vector<core::FanRow> kDefault{{45.0f, 70}, {50.0f, 80}, {55.0f, 100}};

// A station past the start-up countdown with the default table loaded.
struct FanStation : TestStation {
    FanStation() {
        works.initDone = 1;
        works.Isteresi2 = 3;
        works.fanTable[0] = kDefault;
    }
    // One status reply at these heat-sink temperatures, the fan command then written.
    int32_t runAt(float t1, float t2 = 20.0f) {
        works.temperature1 = t1;
        works.temperature2 = t2;
        amp::searchPercentVentola(works);
        works.fanCmdPending = 0;
        return works.fanSpeedActive;
    }
};

TEST(FanTable, ParsesRowsSkipsCommentsAndBlankLinesAndKeepsPercentInRange) {
    EXPECT_TRUE(amp::parseFanTable(";temp perc\n;only comments\r\n\n \r\n").empty());
    auto rows = amp::parseFanTable("; t  %\n45 70.9\r\n\n50\t80\n \t\r\n60 250\n30 -5\n\n");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (core::FanRow{45.0f, 70}));
    EXPECT_EQ(rows[1], (core::FanRow{50.0f, 80}));
    EXPECT_EQ(rows[2].percent, 100);
    EXPECT_EQ(rows[3].percent, 0);
}

TEST(FanTable, MissingFilesFallBackToTheDefaultAndToTableZeroAndFileRowsReplaceIt) {
    TestStation station;
    std::ofstream(station.path("/opt/set/ventolaSSB.txt")) << "; comments only\n";
    for (int table = 0; table < amp::kFanTables; ++table) amp::ReadVentolaFile(station.works, table);
    EXPECT_EQ(station.works.fanTable[0], kDefault);
    EXPECT_TRUE(station.works.fanTable[1].empty());
    EXPECT_EQ(station.works.fanTable[2], kDefault);
    EXPECT_TRUE(station.log.contains("Ventola File 0 not FOUND!!\n"));
    EXPECT_TRUE(station.log.contains("can't open /opt/set/ventola.txt"));
    EXPECT_TRUE(station.log.contains("can't open /opt/set/ventolaDIG.txt"));
    EXPECT_TRUE(station.log.contains("->FAN :55.00: 100 \n"));
    EXPECT_TRUE(station.log.contains("N 0 row - Ventola File 1 \n"));

    std::ofstream(station.path("/opt/set/ventola.txt")) << ";t %\n40 50\n60 90\n";
    amp::ReadVentolaFile(station.works, 0);
    EXPECT_EQ(station.works.fanTable[0], (std::vector<core::FanRow>{{40.0f, 50}, {60.0f, 90}}));
    EXPECT_TRUE(station.log.contains("->t:60.00: 90 \n"));
}

TEST(FanControl, SpeedFollowsTheRowOfTheHigherTemperatureAndFallsOnlyAfterTheHysteresis) {
    FanStation station;
    station.works.fanSpeedActive = 0;
    EXPECT_EQ(station.runAt(40.0f), 70);
    EXPECT_EQ(station.runAt(47.0f), 70);
    EXPECT_EQ(station.runAt(56.0f), 100);
    station.works.fanSpeedActive = 0;
    EXPECT_EQ(station.runAt(20.0f, 44.0f), 70);
    EXPECT_EQ(amp::SearchTemperatureFromVentola(80, station.works.fanTable[0]), 50.0f);
    EXPECT_EQ(amp::SearchTemperatureFromVentola(55, station.works.fanTable[0]), 0.0f);

    // The speed falls only after the hysteresis.
    auto& works = station.works;
    works.fanSpeedActive = 0;
    ASSERT_EQ(station.runAt(55.0f), 100);
    works.cmdRing.clear();
    EXPECT_EQ(station.runAt(52.0f), 100);
    EXPECT_EQ(works.fanSpeed, 80);
    EXPECT_TRUE(works.cmdRing.empty());
    EXPECT_EQ(station.runAt(51.9f), 80);
    EXPECT_EQ(works.cmdRing.pending(), std::vector<int32_t>{cmd::Fan});
    EXPECT_TRUE(station.log.contains("--->1 VENTOLA: 80 (51.90°C)\n"));
}

TEST(FanControl, NoCommandBeforeStartWhileACommandWaitsOrWithAnEmptyTable) {
    struct Case {
        const char* name;
        void (*setUp)(core::Works&);
    };
    for (Case c : {Case{"before start", [](core::Works& w) { w.initDone = 0; }},
                   Case{"command waiting", [](core::Works& w) { w.fanCmdPending = 1; }},
                   Case{"empty table", [](core::Works& w) { w.fanTable[0].clear(); }}}) {
        SCOPED_TRACE(c.name);
        FanStation station;
        auto& works = station.works;
        works.fanSpeedActive = 100;  // the table would take it down to 70 % at 40 C
        c.setUp(works);
        works.temperature1 = 40.0f;
        amp::searchPercentVentola(works);
        EXPECT_TRUE(works.cmdRing.empty());
        EXPECT_EQ(works.fanSpeedActive, 100);
    }
}

TEST(FanControl, ForceResendsAndAnUnlistedSpeedFallsAtOnce) {
    FanStation station;
    auto& works = station.works;
    works.fanSpeedActive = 70;
    works.fanForce = 1;
    EXPECT_EQ(station.runAt(46.0f), 70);
    EXPECT_EQ(works.cmdRing.pending(), std::vector<int32_t>{cmd::Fan});
    EXPECT_EQ(works.fanForce, 0);

    // The start-up speed of 100 % with a table that never asks for it.
    works.fanTable[0] = {{45.0f, 40}, {50.0f, 60}};
    works.fanSpeedActive = 100;
    EXPECT_EQ(station.runAt(30.0f), 40);
}

TEST(FanControl, CpuFanRunsOnlyWhileTheTableAsksForNoFan) {
    FanStation station;
    auto& works = station.works;
    works.fanTable[0] = {{0.0f, 0}, {45.0f, 70}};
    works.CPUTempVentola = 80;
    works.CPUPercVentola = 70;
    works.fanSpeedActive = 70;
    works.cpuTemp = 85.0f;
    EXPECT_EQ(station.runAt(30.0f), 0);
    EXPECT_EQ(works.cmdRing.pending(), (std::vector<int32_t>{cmd::Fan, cmd::CpuFan}));
    EXPECT_EQ(works.fanSpeedCpuActive, 70);
    works.cmdRing.clear();

    works.cpuTemp = 70.0f;
    works.cpuTemp2 = 77.5f;
    station.runAt(30.0f);
    EXPECT_EQ(works.fanSpeedCpuActive, 70);
    works.cpuTemp2 = 76.5f;
    station.runAt(30.0f);
    EXPECT_EQ(works.fanSpeedCpuActive, 0);
    EXPECT_EQ(works.cmdRing.pending(), std::vector<int32_t>{cmd::CpuFan});
    EXPECT_TRUE(station.log.contains("--->2 VENTOLA CPU: 0 (76.50°C)\n"));

    // The heat-sink fan runs: the CPU rule stays out of it.
    works.cpuTemp2 = 90.0f;
    works.cmdRing.clear();
    works.fanSpeedActive = 70;
    station.runAt(50.0f);
    EXPECT_TRUE(works.cmdRing.empty());
}

}  // namespace
