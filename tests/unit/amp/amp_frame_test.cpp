#include <gtest/gtest.h>

#include "amp/command_text.h"
#include "amp/frame.h"
#include "test_station.h"

namespace {

TEST(AmpFrame, Crc8MaximCheckValueTheStatusPollOnTheWireAndUpperCaseReplies) {
    EXPECT_EQ(amp::crc8("123456789"), 0xA1);
    EXPECT_EQ(amp::crc8(""), 0);
    EXPECT_EQ(amp::encodeFrame("ST;"), "4dST;");
    // Replies need upper-case checksums.
    EXPECT_EQ(amp::checkFrame("4DST;").status, amp::FrameStatus::Good);
    EXPECT_EQ(amp::checkFrame("4DST;").payload, "ST;");
    EXPECT_EQ(amp::checkFrame("4dST;").status, amp::FrameStatus::BadCrc);
    EXPECT_EQ(amp::checkFrame("4EST;").status, amp::FrameStatus::BadCrc);
    EXPECT_EQ(amp::checkFrame(amp::encodeFrame(";", amp::HexCase::Upper)).status, amp::FrameStatus::Good);
    EXPECT_EQ(amp::checkFrame("D;").status, amp::FrameStatus::TooShort);
    EXPECT_EQ(amp::checkFrame(";").status, amp::FrameStatus::TooShort);
}

TEST(AmpFrame, AssemblerDropsALineWithoutEnd) {
    amp::FrameAssembler assembler;
    for (size_t i = 0; i + 1 < amp::FrameAssembler::kCapacity; ++i)
        ASSERT_EQ(assembler.push('x'), amp::FrameAssembler::Result::More);
    EXPECT_EQ(assembler.push('x'), amp::FrameAssembler::Result::Overflow);
    EXPECT_TRUE(assembler.frame().empty());
    for (char byte : std::string("4DST")) EXPECT_EQ(assembler.push(byte), amp::FrameAssembler::Result::More);
    EXPECT_EQ(assembler.push(';'), amp::FrameAssembler::Result::Complete);
    EXPECT_EQ(assembler.frame(), "4DST;");
}

class CommandTextTest : public ::testing::Test {
  protected:
    std::string payload(int32_t code) { return amp::commandText(works, code).value().payload; }
    testing_support::TestStation station;
    core::Works& works = station.works;
};

TEST_F(CommandTextTest, FormattedPayloads) {
    works.frequency = 14074000;
    EXPECT_EQ(payload(9), "FA00014074000;");
    works.fanSpeed = 100;
    EXPECT_EQ(payload(23), "FN1100;");
    works.FANmode = 2;
    EXPECT_EQ(payload(23), "FN2100;");
    works.fanSpeed = 7;
    works.FANmode = 1;
    EXPECT_EQ(payload(23), "FN2007;");
    works.NumAntenna = 2;
    EXPECT_EQ(payload(7), "SA3;");
    works.tuneValue = 0x0001ABCDu;
    EXPECT_EQ(payload(11), "MT10001ABCD;");
    works.FreqSensIn = 1;
    works.FreqPeriodTime = 120;
    EXPECT_EQ(payload(12), "FS10012;");
    works.filterMask = 0xA5;
    EXPECT_EQ(payload(28), "SF30000a5;");
    works.calMultiplier = 1.0234;
    EXPECT_EQ(payload(42), "CM1.023400000;");
    EXPECT_EQ(payload(22), "TS4095409515003700;");
    EXPECT_EQ(payload(24), "PS0001100000000000;");
    EXPECT_EQ(payload(33), "GM00020100;");
}

// A number from a settings file that does not fit its field would make a
// longer or a signed command, which the amplifier refuses for ever.
TEST_F(CommandTextTest, NumbersBeyondTheirFieldsAreClampedToIt) {
    works.PSpar1 = 12345;
    works.PSpar2 = -1;
    EXPECT_EQ(payload(24), "PS9999000000000000;");
    works.GMpar1 = 10000;
    EXPECT_EQ(payload(33), "GM99990100;");
    works.FreqSensIn = 12;
    works.FreqPeriodTime = 123450;
    EXPECT_EQ(payload(12), "FS99999;");
    works.ampThresholds[2] = -5;
    EXPECT_EQ(payload(22), "TS4095409500003700;");
    works.fanSpeed = 1000;
    EXPECT_EQ(payload(23), "FN1999;");
}

TEST_F(CommandTextTest, FixedPayloadsAndLetters) {
    const std::pair<int32_t, const char*> fixed[] = {
        {0, "VSM;"},  {1, "ST;"},      {8, "FM;"},      {10, "MT;"},     {13, "CPFFFF;"}, {16, "AT11;"},
        {17, "MP0;"}, {18, "MP1;"},    {19, "AB0;"},    {20, "AB1;"},    {30, "MR1;"},    {32, "MR0;"},
        {34, "GS;"},  {36, "ER0000;"}, {37, "ER0001;"}, {38, "ER0002;"}, {43, "ER0003;"}};
    for (auto [code, text] : fixed) EXPECT_EQ(payload(code), text) << code;
    EXPECT_EQ(std::string(amp::commandText(works, 12)->letters, 2), "SF");
    EXPECT_EQ(std::string(amp::commandText(works, 43)->letters, 2), "ER");
    for (int32_t notACommand : {2, 3, 4, 5, 6, 25, 26, 29, 31, 45})
        EXPECT_FALSE(amp::commandText(works, notACommand));
}

TEST_F(CommandTextTest, AttenuatorTextsCarryThePadBitsAndGeneralSettingsTheGenericModeBit) {
    const char* texts[] = {"AT00;", "AT01;", "AT10;", "AT11;"};
    for (int pads = 0; pads < 4; ++pads) EXPECT_STREQ(amp::attenuatorText(pads), texts[pads]);
    // The general settings carry the generic mode bit.
    EXPECT_EQ(amp::generalSettingsFor("0000000000", 0), "0200000000");
    EXPECT_EQ(amp::generalSettingsFor("0300000000", 1), "0100000000");
    EXPECT_EQ(amp::generalSettingsFor("0300000000", 0), "0300000000");
}

}  // namespace
