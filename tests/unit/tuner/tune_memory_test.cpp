#include "tuner/tune_memory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/tune_value_bits.h"
#include "test_station.h"
#include "tuner/tune_index.h"
#include "tuner/tune_memory_file.h"
#include "tuner/tune_word.h"

using testing_support::TestStation;

namespace {

void store(core::Works& works, int32_t index, uint8_t mode, uint16_t l, uint16_t c, int32_t antenna = 0) {
    tuner::SaveTuneValsuTabRam({1, mode, l, 0}, c, index, antenna, works);
}

// The nearest stored tune for 14 074 000 Hz (index 3117, segment 3110..3144).
int32_t nearest20m(const core::Works& works) {
    return tuner::SearchBestTune(works, 3117, 3110, 3145, 0);
}

TEST(TuneMemoryRam, OutOfRangeIgnoredAndBypassRecalledAsCL) {
    TestStation station;
    core::Works& works = station.works;
    for (int32_t index : {-1, 5000}) store(works, index, 1, 1, 1);
    for (int32_t antenna : {-1, 3}) store(works, 7, 1, 1, 1, antenna);
    for (const auto& table : station.tuneTables().tables)
        for (const auto& record : table) ASSERT_EQ(record.valid, 0);
    EXPECT_EQ(tuner::LoadTuneValFromTabRam(5000, 0, works).valid, 0);
    store(works, 4999, tuner::kModeBypass, 3, 4);
    EXPECT_EQ(tuner::LoadTuneValFromTabRam(4999, 0, works).mode, tuner::kModeCL);
}

TEST(TuneMemoryRam, NearestTuneStaysInTheSegmentAndTiesGoLow) {
    TestStation station;
    core::Works& works = station.works;
    store(works, 3146, 1, 1, 1);  // next segment
    EXPECT_EQ(nearest20m(works), -1);
    EXPECT_EQ(tuner::EsisteTuneValInTabRam(works, 3117, 3110, 3145, 0), 1);
    store(works, 3112, 1, 1, 1);
    store(works, 3120, 1, 1, 1);
    EXPECT_EQ(nearest20m(works), 3120);
    store(works, 3115, 1, 1, 1);
    store(works, 3119, 1, 1, 1);
    EXPECT_EQ(nearest20m(works), 3115);
    EXPECT_EQ(tuner::EsisteTuneValInTabRam(works, 3117, 3110, 3145, 0), 0);
}

TEST(TuneMemoryRecall, LoadsTheNearestTuneIntoTheWordOnce) {
    TestStation station;
    core::Works& works = station.works;
    works.frequency = 14074000;
    works.tuneValue = core::tuneValue::NetworkCL;
    store(works, 3120, tuner::kModeLC, 100, 200);
    tuner::LoadTuneFromMEM(works, 0);
    EXPECT_EQ(works.tuneValue.load(),
              tuner::withInductor(tuner::withCapacitor(core::tuneValue::NetworkLC, 200), 100));
    EXPECT_EQ(works.tuneMode.load(), tuner::kModeLC);
    EXPECT_EQ(station.log.lines(platform::LogChannel::Trace),
              std::vector<std::string>{
                  ">>>>>>>>>>>>>>> MEMTUNE: load a Tune for 14074000 idx:3120 -> C 200 I 100!!\n"});
    tuner::LoadTuneFromMEM(works, 0);  // already in the word: not logged again
    EXPECT_EQ(station.log.lines(platform::LogChannel::Trace).size(), 1u);
}

TEST(TuneMemoryFile, CodecSkipsCommentsAndRefusesBadIndices) {
    TestStation station;
    EXPECT_EQ(tuner::tuneMemoryPath(0, 0), "/opt/set/atu_ant1.txt");
    EXPECT_EQ(tuner::tuneMemoryPath(20, 2), "/opt/set/atu_ant3.txt");
    EXPECT_EQ(tuner::tuneMemoryPath(19, 2), "/opt/set/atu_ant3_b19.txt");
    core::TuneTable table{};
    table[4].valid = 1;  // cleared by the parse
    testing::internal::CaptureStdout();
    tuner::parseTuneMemory(
        "; idx freq valid mode L C\n0 0 1 1 5 6\n3117 14070000 1 2 100 200\r\n"
        ";3118 0 1 2 1 1\n\n \r\n6000 0 1 1 1 1\n-5 0 1 1 1 1\n4999 0 1 3 511 -1\n",
        table);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "LoadTabAtu Errore idxLoadTabAtu Errore idx");
    EXPECT_EQ(station.log.lines(platform::LogChannel::Trace).size(), 2u);
    EXPECT_EQ(table[4].valid + table[3118].valid, 0);
    EXPECT_EQ(table[4999].C, 0xFFFF);
    // C goes out as a signed 16-bit number; the frequency is the index's.
    // Blank lines are no record: read as index 0 they would wipe its tune.
    EXPECT_EQ(tuner::formatTuneMemory(table),
              "0 0 1 1 5 6\n3117 14070000 1 2 100 200\n4999 71500000 1 3 511 -1\n");

    std::string many;
    for (int i = 0; i < 5000; ++i) many += ";\n1 0 1 1 1 1\n";
    tuner::parseTuneMemory(many + "42 0 1 1 1 1\n", table);  // only 5000 records count
    EXPECT_EQ(table[1].valid - table[42].valid, 1);
}

TEST(TuneMemoryFile, InsertSaveAndLoadThroughTheBankFiles) {
    TestStation station;
    core::Works& works = station.works;
    works.frequency = 14074000;
    works.tuneValue = tuner::withInductor(tuner::withCapacitor(core::tuneValue::NetworkLC, 200), 100);
    tuner::LoadTabAtu(works, 5, 1);
    tuner::InsertTuneToMem(works, 5, 1);
    EXPECT_TRUE(station.log.contains("--------------> Save Tune To File idx 14074000 (idx:3117)\n"));
    EXPECT_TRUE(station.log.contains("-------------- Save TuneVal C:200, L:100, M:2\n"));
    EXPECT_TRUE(station.log.contains("SaveTabAtu Bank5 , antenna 1\n"));
    EXPECT_EQ(works.platform->files().read("/opt/set/atu_ant2_b5.txt"), "3117 14070000 1 2 100 200\n");
    EXPECT_EQ(station.actions(),
              (std::vector<platform::SystemAction>{platform::SystemAction::RemountSettingsReadWrite,
                                                   platform::SystemAction::RemountSettingsReadOnly}));

    station.tuneTables().tables[1] = {};
    tuner::LoadTabAtu(works, 5, 1);
    EXPECT_EQ(station.tuneTables().tables[1][3117].C, 200);
    tuner::LoadTabAtu(works, 6, 1);  // no file: empty
    EXPECT_EQ(station.tuneTables().tables[1][3117].valid, 0);
}

TEST(TuneMemoryFile, ATuneNeverLandsInAnotherBanksFileOrIsDroppedSilently) {
    TestStation station;
    core::Works& works = station.works;
    works.frequency = 14074000;
    works.tuneValue = tuner::withInductor(tuner::withCapacitor(core::tuneValue::NetworkLC, 200), 100);
    tuner::LoadTabAtu(works, 2, 0);  // the bank changed after the search captured bank 1
    tuner::InsertTuneToMem(works, 1, 0);
    tuner::SaveTabAtu(works, 1, 0);
    EXPECT_FALSE(std::filesystem::exists(station.path("/opt/set/atu_ant1_b1.txt")));
    EXPECT_EQ(station.tuneTables().tables[0][3117].valid, 0) << "bank 2's table is left alone";
    EXPECT_TRUE(station.log.contains("not saved as bank 1's"));

    tuner::InsertTuneToMem(works, 2, 3);  // a fourth antenna has no tune memory
    EXPECT_TRUE(station.log.contains("tune of antenna 4 not stored"));
}

}  // namespace
