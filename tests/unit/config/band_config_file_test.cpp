#include "config/band_config_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/config_offset_file.h"
#include "config/info_file.h"
#include "config/name_file.h"
#include "test_station.h"

using platform::LogChannel;
using testing_support::TestStation;

namespace {

void writeFile(TestStation& station, const std::string& path, const std::string& text) {
    std::ofstream(station.path(path), std::ios::binary) << text;
}

bool traced(TestStation& station, const std::string& text) {
    for (const auto& line : station.log.lines(LogChannel::Trace))
        if (line == text) return true;
    return false;
}

std::vector<int32_t> offsets(const core::Works& works) {
    return {works.KostPWRIN, works.KostFORW, works.KostREFL};
}

TEST(BandConfigFile, ColumnsOneAndTwoTakeTheirBaseFromThePrefix) {
    auto lines = config::parseBandConfig(
        "; start  second  ...\n"
        "1800000 0x1B7740 100 60 50 0 80 10 -0.007 20 16 200 900 1 2 3 4 5 6 7 8 9 10 11\r\n"
        "0x3567E0 0755\n"
        "7000000\n",
        {150, 140, 100});
    ASSERT_EQ(lines.size(), 3u);
    const auto& first = lines[0].row;
    EXPECT_EQ(first.startFrequency, 1800000u);
    EXPECT_EQ(first.secondFrequency, 1800000u);
    // Each gain is over the square of its reading plus its offset: forward 140, reflected 100, input 150.
    EXPECT_FLOAT_EQ(first.kForw, 0.0025f);
    EXPECT_FLOAT_EQ(first.kRefl, 0.005f);
    EXPECT_FLOAT_EQ(first.kPwrIn, 0.003125f);
    EXPECT_FLOAT_EQ(first.reflCorrection, -0.007f);
    EXPECT_FLOAT_EQ(first.limitPwrIn, 20.0f);
    EXPECT_FLOAT_EQ(first.limitCurrent, 16.0f);
    EXPECT_FLOAT_EQ(first.limitRefl, 200.0f);
    EXPECT_FLOAT_EQ(first.limitFwd, 900.0f);
    EXPECT_FLOAT_EQ(lines[0].inputGain, 80.0f);
    EXPECT_FLOAT_EQ(lines[0].inputOffset, 10.0f);
    // Columns 14, 16 ... 22 go to words 10-14, columns 15 ... 23 to 15-19, column 24 to 20.
    EXPECT_EQ((std::vector<int32_t>(first.kept, first.kept + 11)),
              (std::vector<int32_t>{1, 3, 5, 7, 9, 2, 4, 6, 8, 10, 11}));

    EXPECT_EQ(lines[1].row.startFrequency, 3500000u);
    EXPECT_EQ(lines[1].row.secondFrequency, 0755u);
    EXPECT_EQ(lines[2].row.startFrequency, 7000000u);
    EXPECT_EQ(lines[2].row.limitFwd, 0.0f);
    EXPECT_EQ(lines[2].row.kept[10], 0);
}

// The unit reads these columns with a 32-bit unsigned long; every build reads them as it does.
TEST(BandConfigFile, FrequenciesBeyondThirtyTwoBitsSaturateAndNegativeOnesWrap) {
    const struct {
        const char* columns;
        uint32_t start, second;
    } cases[] = {
        {"4294967295 4294967296", 4294967295u, 4294967295u},
        {"99999999999999999999 0x100000000", 4294967295u, 4294967295u},
        {"-5 -0x10", 4294967291u, 4294967280u},
        {" -4294967295 -4294967296", 1u, 4294967295u},
    };
    for (const auto& c : cases) {
        const auto lines = config::parseBandConfig(std::string(c.columns) + "\n", {150, 140, 100});
        ASSERT_EQ(lines.size(), 1u) << c.columns;
        EXPECT_EQ(lines[0].row.startFrequency, c.start) << c.columns;
        EXPECT_EQ(lines[0].row.secondFrequency, c.second) << c.columns;
    }
}

TEST(BandConfigFile, CommentsAndBlankLinesGiveNoRowsAndABadNumberEndsItsLine) {
    for (const char* text : {";freq\n;another\r\n", "", "\n", " \t\r\n\r\n"})
        EXPECT_TRUE(config::parseBandConfig(text, {150, 140, 100}).empty()) << text;
    auto lines = config::parseBandConfig("1800000\n\n  \r\n3500000 0 12x 60\n\t\n", {0, 140, 0});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].row.startFrequency, 3500000u);
    EXPECT_FLOAT_EQ(lines[1].row.kForw, 12.0f / (140.0f * 140.0f));
}

TEST(BandConfigFile, ReadUsesTheOffsetsAndTracesEveryRowAndAMissingFileLeavesNone) {
    TestStation station;
    station.works.KostFORW = 140;
    writeFile(station, "/opt/set/config.txt", ";x\n1800000 0 100 60\n");
    config::ReadConfigFile(station.works);
    ASSERT_EQ(station.works.bandConfig.size(), 1u);
    EXPECT_FLOAT_EQ(station.works.bandConfig[0].kForw, 0.0025f);
    EXPECT_TRUE(traced(station, "N row Config File 1 \n"));
    EXPECT_TRUE(station.log.contains("->1800000,0,0.0025000,"));

    std::filesystem::remove(station.path("/opt/set/config.txt"));
    config::ReadConfigFile(station.works);
    EXPECT_TRUE(station.works.bandConfig.empty());
    EXPECT_TRUE(traced(station, "Config File not FOUND!!\n"));
    EXPECT_EQ(station.log.lines(LogChannel::Error),
              std::vector<std::string>{"can't open /opt/set/config.txt"});
}

TEST(ConfigOffsetFile, ValuesReadWithAnyBaseOtherLinesIgnoredAndAMissingFileRecreatedWithTheFactoryOnes) {
    auto values =
        config::parseConfigOffset("; offsets\nKostPWRIN: 0x10\r\nKostFORW: 010\nKostREFL: -7\nKost: 5\n");
    EXPECT_EQ(values.pwrIn, 16);
    EXPECT_EQ(values.forw, 8);
    EXPECT_EQ(values.refl, -7);
    EXPECT_EQ(config::parseConfigOffset("KostFORW: abc\n").forw, std::nullopt);

    TestStation station;
    writeFile(station, "/opt/set/config_offset.txt", "KostPWRIN: 151\nKostFORW: 141\nKostREFL: 101\n");
    config::LoadConfigOffsetFile(station.works);
    EXPECT_EQ(offsets(station.works), (std::vector<int32_t>{151, 141, 101}));
    EXPECT_TRUE(traced(station, "************ KostFORW: 141\n"));
    EXPECT_TRUE(station.system().calls().empty());

    std::filesystem::remove(station.path("/opt/set/config_offset.txt"));
    config::LoadConfigOffsetFile(station.works);
    EXPECT_EQ(offsets(station.works), (std::vector<int32_t>{150, 140, 100}));
    EXPECT_EQ(station.works.platform->files().read("/opt/set/config_offset.txt"),
              "KostPWRIN: 150\nKostFORW: 140\nKostREFL: 100\n");
    EXPECT_TRUE(station.system().settingsReadOnly());
}

TEST(NameFile, LastLineStaysWithItsLineEnd) {
    EXPECT_EQ(config::lastNameLine("first\nIK0ABC amp\n"), "IK0ABC amp\n");
    EXPECT_EQ(config::lastNameLine("no line end"), "no line end");
    EXPECT_EQ(config::lastNameLine(""), "");
    // A longer line is read in pieces of 99 characters.
    EXPECT_EQ(config::lastNameLine(std::string(120, 'a') + "\n"), std::string(21, 'a') + "\n");
    // A blank line after the name, as editors leave, does not blank it.
    EXPECT_EQ(config::lastNameLine("IK0ABC amp\n\n \t\r\n"), "IK0ABC amp\n");

    TestStation station;
    config::LoadNameBRISEL(station.works);
    EXPECT_EQ(station.works.nameText.get(), "");
    writeFile(station, "/opt/set/name.txt", "Shack 2\n");
    config::LoadNameBRISEL(station.works);
    EXPECT_EQ(station.works.nameText.get(), "Shack 2\n");
}

TEST(InfoFile, WritesTheIdentityAndMarksAnUnreportedModel) {
    TestStation station;
    auto& works = station.works;
    works.swVersion.set("01.027");
    works.fwVersion.set("2.10");
    works.hwVersion.set("B");
    works.serialNumber.set("A123");
    works.companyName.set("ACME");
    works.ampRegionFlag = '1';
    works.ampModelFlag = '0';
    writeFile(station, "/opt/set/info.txt",
              "old text that is longer than the new one, much longer, really\n");
    config::WrInfoFile(works);
    EXPECT_EQ(works.platform->files().read("/opt/set/info.txt"),
              "SW ver. 01.027\nFW ver. 2.10\nHW ver. B\nSerial Number: A123 \nCompany: ACME\nTYPE: "
              "USA\nMAXPOWER: 60W\n");
    EXPECT_TRUE(station.system().settingsReadOnly());

    works.ampRegionFlag = static_cast<char>(255);
    works.ampModelFlag = '1';
    std::string text = config::formatInfoFile(works);
    EXPECT_NE(text.find("TYPE: ---\nMAXPOWER: 120W\n"), std::string::npos);
}

}  // namespace
