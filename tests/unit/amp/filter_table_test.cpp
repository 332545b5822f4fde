#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "amp/filter_select.h"
#include "config/filter_file.h"
#include "config/filter_files.h"
#include "core/amp_commands.h"
#include "test_station.h"
#include "ui/button_labels.h"
#include "ui/key_states.h"

namespace {

using core::FilterRow;
using core::FilterRows;
using testing_support::TestStation;

core::FilterRows rowsOf(std::initializer_list<core::FilterRow> rows) {
    core::FilterRows table{};
    std::copy(rows.begin(), rows.end(), table.begin());
    return table;
}

TEST(FilterSelection, FirstEnabledRowHoldingTheFrequencyWins) {
    const core::FilterRows rows =
        rowsOf({{0, 2000000, 0}, {1800000, 2000000, 1}, {1900000, 30000000, 1}, {0, 54000000, 1}});
    struct Case {
        int32_t frequency;
        uint8_t mask;
    } cases[] = {
        {1800000, 1u << 1},   // Fstart included; the disabled first row is skipped
        {2000000, 1u << 1},   // Fstop included; row 2 overlaps row 3 and wins
        {2000001, 1u << 2},   // just above
        {54000000, 1u << 3},  // the last row's Fstop
        {54000001, 0},        // no row
    };
    for (const Case& c : cases) EXPECT_EQ(amp::filterMaskFor(rows, c.frequency), c.mask) << c.frequency;
}

class FilterTable : public ::testing::Test {
  protected:
    void setRows(const core::FilterRows& rows) {
        works.filterTable.with([&rows](core::FilterRows& table) { table = rows; });
    }
    [[nodiscard]] std::string file(const std::string& path) const {
        std::ifstream in(station.path(path));
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void write(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(station.path(path).parent_path());
        std::ofstream(station.path(path)) << text;
    }
    [[nodiscard]] std::vector<int32_t> queued() const { return works.cmdRing.pending(); }

    TestStation station;
    core::Works& works = station.works;
};

TEST_F(FilterTable, DisablingTheRowInUseSelectsTheNextMatchingRowWithOneCommand) {
    setRows(rowsOf({{0, 30000000, 1}, {0, 54000000, 1}}));
    works.frequency = 14074000;
    amp::SetFilterFromfreq(works);
    EXPECT_EQ(works.filterMask, 1);
    EXPECT_EQ(queued(), (std::vector<int32_t>{core::cmd::Filter}));
    works.cmdRing.clear();
    amp::SetFilterFromfreq(works);  // the same filter: nothing sent
    EXPECT_TRUE(queued().empty());

    works.filterSel = 0;
    amp::EnDisFilter(works, 0);
    EXPECT_EQ(works.filterMask, 2);
    EXPECT_EQ(queued(), (std::vector<int32_t>{core::cmd::Filter}));
    EXPECT_NE(file(config::kFilterPath).find("0\t\t30000000\t\t0 \n"), std::string::npos);

    works.cmdRing.clear();
    works.filterSel = 1;
    amp::EnDisFilter(works, 0);  // none left
    EXPECT_EQ(works.filterMask, 0);
    EXPECT_EQ(queued(), (std::vector<int32_t>{core::cmd::Filter}));
}

TEST_F(FilterTable, SavedFileStartsWithTheHeaderAndReadsBackTheSameTable) {
    const core::FilterRows rows = rowsOf({{1800000, 2000000, 1}, {3500000, 4000000, 0}, {0, 54000000, 1}});
    setRows(rows);
    config::SaveTabFiltri(works);
    const std::string text = file(config::kFilterPath);
    EXPECT_EQ(text.substr(0, 160), config::kFilterHeader);
    EXPECT_EQ(text.substr(160, 24), "1800000\t\t2000000\t\t1 \n350");
    setRows({});
    config::LoadTabFiltri(works);
    EXPECT_EQ(works.filterTable.with([](const core::FilterRows& table) { return table; })[2].Fstop, 54000000);
    EXPECT_EQ(config::filterRowsOf(text)[0].Fstart, rows[0].Fstart);
}

TEST_F(FilterTable, AMissingFileDisablesEveryFilterAndLoadReadsTheFirstEightDataLinesInAnyBase) {
    setRows(rowsOf({{0, 54000000, 1}}));
    config::LoadTabFiltri(works);
    EXPECT_EQ(works.filterTable.with([](const core::FilterRows& table) { return table; })[0].enabled, 0);
    EXPECT_TRUE(station.log.contains("Filter File not FOUND!!"));

    std::string text = ";comment\n0x10 010 1\r\n";
    for (int line = 2; line <= 10; ++line)
        text += std::to_string(line) + " " + std::to_string(line * 10) + " 1\n";
    write(config::kFilterPath, text);
    config::LoadTabFiltri(works);
    const core::FilterRows rows = works.filterTable.with([](const core::FilterRows& table) { return table; });
    EXPECT_EQ(rows[0].Fstart, 16);
    EXPECT_EQ(rows[0].Fstop, 8);
    EXPECT_EQ(rows[7].Fstart, 8);
    EXPECT_EQ(rows[7].Fstop, 80);
}

// Hand editing leaves empty and blank lines; they are no rows, so every later
// filter keeps its number, in the table, in the next save and in the USB check.
TEST_F(FilterTable, BlankLinesAreNoRows) {
    const std::string text =
        ";c\n0 2000000 1\n0 4000000 1\n0 7300000 1\n\n14000000 14350000 1\n \t\r\n0 54000000 1\n\r\n";
    write(config::kFilterPath, text);
    config::LoadTabFiltri(works);
    const core::FilterRows rows = works.filterTable.with([](const core::FilterRows& table) { return table; });
    EXPECT_EQ(rows[3].Fstart, 14000000);
    EXPECT_EQ(rows[4].Fstop, 54000000);
    EXPECT_EQ(rows[5].Fstop, 0);
    works.frequency = 14200000;
    amp::SetFilterFromfreq(works);
    EXPECT_EQ(works.filterMask, 1u << 3);

    works.filterSel = 2;
    amp::EnDisFilter(works, 0);
    const std::string saved = file(config::kFilterPath);
    EXPECT_NE(saved.find("0\t\t7300000\t\t0 \n14000000\t\t14350000\t\t1 \n0\t\t54000000\t\t1 \n"),
              std::string::npos)
        << saved;

    write("/mnt/filter.txt", text);
    ASSERT_EQ(config::ListFile_Filter(works), 0);
    EXPECT_EQ(config::VeryfyFilterFileUSB(works), 0);
    EXPECT_FALSE(station.log.contains("!ERR USB Filter"));
}

TEST_F(FilterTable, UsbListHoldsTheFirstSixteenTextFiles) {
    std::filesystem::remove_all(station.path("/mnt"));
    EXPECT_EQ(config::ListFile_Filter(works), 1);  // no stick
    for (int file = 0; file < 20; ++file) write("/mnt/f" + std::to_string(file) + ".txt", "0 1 1\n");
    write("/mnt/notes.doc", "");
    std::filesystem::create_directories(station.path("/mnt/folder.txt"));
    EXPECT_EQ(config::ListFile_Filter(works), 0);
    EXPECT_EQ(works.usbFileCount, 16);
    const auto names = works.usbFileList.with([](const auto& list) { return list; });
    for (const std::string& name : names)
        EXPECT_TRUE(name.starts_with("f") && name.ends_with(".txt")) << name;
}

TEST_F(FilterTable, UsbCheckFailsAtTheFirstBadLine) {
    struct Case {
        const char* text;
        int result;
    } cases[] = {
        {";c\n0 30000000 1\n0x0 54000000 0\n", 0},
        {"0 30000000 1\n0 54000000 2\n", 2},           // enable value 2
        {"0 30000000 1\n0xFFFFFFFF 54000000 1\n", 2},  // negative as a signed number
        {"0 30000000\n", 2},                           // no enable value
    };
    for (const Case& c : cases) {
        write("/mnt/filter.txt", c.text);
        ASSERT_EQ(config::ListFile_Filter(works), 0);
        EXPECT_EQ(config::VeryfyFilterFileUSB(works), c.result) << c.text;
    }
    std::filesystem::remove(station.path("/mnt/filter.txt"));
    EXPECT_EQ(config::VeryfyFilterFileUSB(works), 1);
}

// The load page's keys: search, check, confirm; YES takes the file as the table.
TEST_F(FilterTable, ConfirmedUsbFileBecomesTheTable) {
    write("/mnt/new.txt", "0 30000000 1\n7000000 7300000 2\n");
    works.screenState = ui::screen::FilterLoad;
    ui::filterPageKey(works, {4, false});
    ui::filterPageKey(works, {6, false});
    EXPECT_EQ(works.usbLoadState, 1);
    EXPECT_EQ(works.screenState, ui::screen::FilterLoad);

    write("/mnt/new.txt", "0 30000000 1\n7000000 7300000 0\n");
    ui::filterPageKey(works, {6, false});
    EXPECT_EQ(works.usbLoadState, 2);
    ASSERT_EQ(works.screenState, ui::screen::FilterConfirm);
    works.frequency = 7100000;
    ui::filterPageKey(works, {6, false});
    EXPECT_EQ(works.screenState, ui::screen::Main);
    EXPECT_EQ(works.filterMask, 1);
    EXPECT_NE(file(config::kFilterPath).find("7000000\t\t7300000\t\t0 \n"), std::string::npos);
}

}  // namespace
