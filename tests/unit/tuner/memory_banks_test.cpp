#include "tuner/memory_banks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/amp_commands.h"
#include "test_station.h"
#include "tuner/antenna_file.h"
#include "tuner/antenna_selection.h"
#include "tuner/tune_memory.h"

using testing_support::TestStation;

namespace {

namespace cmd = core::cmd;

std::string rows(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "b" + std::to_string(i) + " " + std::to_string(i * 1000000) + " 2000000000 1 2 0 3 1.5\n";
    return text;
}

TEST(AntennaFile, HeaderRowsAndNumberBases) {
    tuner::AntennaFile file =
        tuner::parseAntennaFile("!Gen\r\n!817\n!xyz\n; note\n\n \t\r\n" + rows(11) + "b12 1 2\n!Qor\n");
    EXPECT_EQ(file.interfaceType, 2);  // reading stops after the 11th row
    EXPECT_EQ(file.rowCount, 11);
    EXPECT_STREQ(file.rows[10].name, "b11");
    EXPECT_EQ(tuner::parseAntennaFile(rows(1)).interfaceType, 1);

    file = tuner::parseAntennaFile("40m 0x6ACFC0 07000000 1 03 1 010 2.5\r\nverylongname 1800000 2000000\n" +
                                   std::string("6m 1 2 1 1 0 1") + std::string(600, ' ') + "9\n");
    ASSERT_EQ(file.rowCount, 3);
    EXPECT_EQ(file.rows[0].start, 7000000);
    EXPECT_EQ(file.rows[0].end, 07000000);
    EXPECT_EQ(file.rows[0].antenna, 3);
    EXPECT_EQ(file.rows[0].attenuator, 10);
    EXPECT_FLOAT_EQ(file.rows[0].drivePower, 2.5f);
    EXPECT_STREQ(file.rows[1].name, "verylon");
    EXPECT_EQ(file.rows[1].end, 2000000);
    EXPECT_FLOAT_EQ(file.rows[2].drivePower, 0.0f);  // past the 511 characters of a line
}

TEST(AntennaFile, FormatReadsBack) {
    TestStation station;
    tuner::InitTabAntenna(station.works, 0);
    auto& table = station.antennaRows();
    table[3] = {"40m", 7000000, 7300000, 1, 3, 0, 2, 2.5f};
    std::string text = tuner::formatAntennaFile(2, table.data(), 11);
    EXPECT_EQ(text.substr(0, 38), "!817\n160m 1800000 2000000 0 1 1 0 0.0\n");
    EXPECT_NE(text.find("\n40m 7000000 7300000 1 3 0 2 2.5\n"), std::string::npos);
    tuner::AntennaFile back = tuner::parseAntennaFile(text);
    EXPECT_EQ(tuner::formatAntennaFile(back.interfaceType, back.rows.data(), back.rowCount), text);
}

class MemoryBanks : public ::testing::Test {
  protected:
    void write(const std::string& path, const std::string& text) {
        std::ofstream(station.path(path), std::ios::binary) << text;
    }
    std::string read(const std::string& path) { return works.platform->files().read(path).value_or(""); }

    TestStation station;
    core::Works& works = station.works;
};

TEST_F(MemoryBanks, MissingOrBrokenFileGivesTheDefaultRanges) {
    EXPECT_EQ(tuner::LoadTabConfig(works, 0), 1);
    EXPECT_EQ(works.antennaRowCount, 11);
    EXPECT_EQ(station.antennaRows()[0].tunerBypass, 1);

    write("/opt/set/antenna_b2.txt", "!817\n20m 0 14350000 1 2 0 3 1.0\nxx 1 2 1 3 1 1 0.5\n");
    works.antennaRow = 4;
    station.antennaRows()[2].ampOn = 1;
    EXPECT_EQ(tuner::LoadTabConfig(works, 2), 2);
    EXPECT_TRUE(station.log.contains("Error Reinit antenna\n"));
    EXPECT_EQ(works.antennaRowCount, 11);
    EXPECT_EQ(works.antennaRow, -1);
    const auto& table = station.antennaRows();
    EXPECT_STREQ(table[1].name, "80m");
    EXPECT_EQ(table[0].start, 1800000);
    EXPECT_EQ(table[1].end, 4000000);
    EXPECT_EQ(table[0].attenuator, 3);  // the settings read are kept
    EXPECT_EQ(table[1].antenna, 3);
    EXPECT_EQ(table[2].ampOn, 0);
}

TEST_F(MemoryBanks, BankChangeCyclesThroughMaxBankWithItsFiles) {
    write("/opt/set/antenna.txt", "!Gen\n" + rows(2));
    write("/opt/set/atu_ant3.txt", "2131 7155000 1 2 11 21\n");
    write("/opt/set/antenna_b1.txt", "!817\n" + rows(3));
    write("/opt/set/atu_ant2_b1.txt", "2132 7160000 1 1 12 22\n");
    std::vector<int32_t> banks, types, counts, tunes;
    for (int i = 0; i < 4; ++i) {
        works.antennaRow = 5;
        tuner::ChangeBanco(works);  // MAXbank 3 by default
        EXPECT_EQ(works.antennaRow, -1);
        banks.push_back(works.NumBanco);
        types.push_back(works.ModeWorkIdx);
        counts.push_back(works.antennaRowCount);
        tunes.push_back(tuner::LoadTuneValFromTabRam(2131, 2, works).L +
                        tuner::LoadTuneValFromTabRam(2132, 1, works).L);
        EXPECT_EQ(works.cmdRing.pending().back(), cmd::GeneralSettings);
    }
    EXPECT_EQ(banks, (std::vector<int32_t>{1, 2, 0, 1}));
    EXPECT_EQ(types, (std::vector<int32_t>{2, 1, 0, 2}));
    EXPECT_EQ(counts, (std::vector<int32_t>{3, 11, 2, 3}));
    EXPECT_EQ(tunes, (std::vector<int32_t>{12, 0, 11, 12}));
    EXPECT_NE(read("/opt/set/setup.txt").find("NumBanco: 1\n"), std::string::npos);
}

TEST_F(MemoryBanks, BankCycleStaysWithinTheBanksThatExist) {
    for (auto [maxBank, from, to] :
         {std::tuple{0, 0, 0}, {-2, 0, 0}, {1, 0, 0}, {3, -7, 0}, {3, 8, 0}, {40, 18, 19}, {40, 19, 0}}) {
        works.MAXbank = maxBank;
        works.NumBanco = from;
        tuner::ChangeBanco(works);
        EXPECT_EQ(works.NumBanco, to) << maxBank << " " << from;
    }
}

TEST_F(MemoryBanks, InterfaceChangeRewritesTheHeader) {
    write("/opt/set/antenna_b3.txt", "!Qor\n" + rows(2));
    works.NumBanco = 3;
    works.frequency = 500;  // in no row: the rows are written back as they are
    tuner::LoadAllBankTable(works, 3);
    std::vector<std::string> headers;
    for (int i = 0; i < 3; ++i) {
        tuner::ChangeInterfaceBanco(works);
        headers.push_back(read("/opt/set/antenna_b3.txt").substr(0, 5));
    }
    EXPECT_EQ(headers, (std::vector<std::string>{"!817\n", "!Gen\n", "!Qor\n"}));
    EXPECT_EQ(works.cmdRing.pending(), std::vector<int32_t>(4, cmd::GeneralSettings));
    EXPECT_EQ(read("/opt/set/antenna_b3.txt"), "!Qor\n" + rows(2));
}

TEST_F(MemoryBanks, SaveToBankStoresThePresentBand) {
    tuner::InitTabAntenna(works, 0);
    const core::AntennaRow& row = station.antennaRows()[5];  // 20 m
    works.frequency = 14200000;
    works.tunerBypass = 0;
    works.attenuator = 2;
    works.attenuatorKey = 2;
    tuner::SaveToBank(works, 2, 1);
    EXPECT_NE(read("/opt/set/antenna_b2.txt").find("\n20m 14000000 14350000 1 2 0 2 0.0\n"),
              std::string::npos);
    works.attenuatorKey = 4;         // the amplifier is in by-pass
    tuner::SaveToBank(works, 2, 7);  // no such antenna: the row keeps its own
    EXPECT_EQ(row.antenna, 2);
    EXPECT_EQ(row.ampOn, 0);

    station.system().failAction(platform::SystemAction::RemountSettingsReadWrite, 1);
    tuner::SaveToBank(works, 2, 2);
    EXPECT_EQ(row.antenna, 3);
    EXPECT_NE(read("/opt/set/antenna_b2.txt").find("\n20m 14000000 14350000 0 2 0 2"), std::string::npos);
    EXPECT_TRUE(station.log.contains("can't mount rw /opt/set/"));
}

TEST_F(MemoryBanks, DebugPresetSetsEveryRow) {
    tuner::InitTabAntenna(works, 0);
    station.antennaRows()[2] = {"x", 1, 2, 0, 3, 0, 1, 0.0f};
    works.attenuator = 3;
    works.NumAntenna = 2;
    tuner::SaveToBankDebug(works, 0, 2);
    EXPECT_EQ(works.cmdRing.pending(),
              (std::vector<int32_t>{cmd::Attenuator, cmd::SelectAntenna, cmd::TunerBypassKeep}));
    EXPECT_EQ(works.attenuator, 0);
    EXPECT_EQ(works.NumAntenna, 0);
    EXPECT_TRUE(station.log.contains("---------------OK SAVE BANK DEBUG!!!\n"));
    EXPECT_NE(read("/opt/set/antenna.txt").find("\nx 1 2 1 1 1 2 0.0\n"), std::string::npos);
    works.cmdRing.clear();
    tuner::SaveToBankDebug(works, 0, 4);
    EXPECT_EQ(works.cmdRing.pending(), (std::vector<int32_t>{cmd::TunerBypassKeep}));
    EXPECT_EQ(station.antennaRows()[2].attenuator + station.antennaRows()[2].ampOn, 0);
}

TEST_F(MemoryBanks, DeleteFileConfRemovesOneFileOfAValidBank) {
    const std::vector<std::string> paths = {"/opt/set/atu_ant1.txt",    "/opt/set/atu_ant2.txt",
                                            "/opt/set/atu_ant3.txt",    "/opt/set/antenna.txt",
                                            "/opt/set/atu_ant2_b5.txt", "/opt/set/antenna_b19.txt"};
    for (const std::string& path : paths) write(path, "x");
    for (auto [bank, which] : {std::pair{-1, 0}, {20, 3}, {0, -1}, {0, 4}})
        tuner::DeleteFileConf(works, bank, which);
    EXPECT_TRUE(station.system().calls().empty());
    for (auto [bank, which] : {std::pair{0, 0}, {0, 1}, {0, 2}, {0, 3}, {5, 1}, {19, 3}, {5, 2}})
        tuner::DeleteFileConf(works, bank, which);
    for (const std::string& path : paths) EXPECT_FALSE(std::filesystem::exists(station.path(path))) << path;
    EXPECT_FALSE(station.log.contains("can't delete"));

    station.system().failAction(platform::SystemAction::RemountSettingsReadWrite, 1);
    tuner::DeleteFileConf(works, 3, 3);
    EXPECT_EQ(station.log.lines(platform::LogChannel::Error).back(), "can't delete file bank 3");
}

}  // namespace
