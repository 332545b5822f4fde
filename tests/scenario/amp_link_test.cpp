#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "amp/fan_table.h"
#include "amp/link.h"
#include "amp/startup_commands.h"
#include "band_rows.h"
#include "config/setup.h"
#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "link_fixture.h"

using core::ThreadId;
using testing_support::AmpLinkTest;

namespace {

TEST_F(AmpLinkTest, StartUpListGoesOutInOrderBetweenStatusPolls) {
    amp::InitMicroCmd(works);
    startLink();
    ASSERT_TRUE(waitUntil([&] { return received().size() >= 40; }, std::chrono::seconds(20)));
    auto list = received();
    const std::vector<std::string> startUp = {"VSM;",
                                              "ER0000;",
                                              "ER0001;",
                                              "ER0002;",
                                              "ER0003;",
                                              "MP0;",
                                              "TS4095409515003700;",
                                              "FN1100;",
                                              "AN0;",
                                              "SA1;",
                                              "FS00001;",
                                              "MT100000000;",
                                              "PS0001100000000000;",
                                              "GM00020100;",
                                              "GS;",
                                              "CPFFFF;",
                                              "MR0;",
                                              "CM1.000000000;"};  // the multiplier read from EEPROM page 3
    for (size_t i = 0; i < startUp.size(); ++i) {
        EXPECT_EQ(list[2 * i], "ST;") << i;
        EXPECT_EQ(list[2 * i + 1], startUp[i]) << i;
    }
    // Then the link alternates the status and frequency polls.
    for (size_t i = 2 * startUp.size(); i + 1 < 40; i += 2) {
        EXPECT_EQ(list[i], "ST;");
        EXPECT_EQ(list[i + 1], "FM;");
    }
    EXPECT_EQ(works.errorsHeld & core::errorsHeld::Held, 0) << "the CP reply opens the error list";
}

// The link's clock at four times real time, so that its reply time-outs pass sooner.
class AmpLinkTimeoutTest : public AmpLinkTest {
  protected:
    AmpLinkTimeoutTest() : AmpLinkTest(4.0) {}
};

TEST_F(AmpLinkTimeoutTest, FourFailuresRaiseTheCommunicationWarningOnceAndTheLinkRecovers) {
    works.errorsHeld = 0;
    startLink();
    ASSERT_TRUE(waitUntil([&] { return received().size() >= 4; }, std::chrono::seconds(5)));
    emulator.control("fault drop 4");
    ASSERT_TRUE(waitUntil([&] { return works.retryStops >= 1; }, std::chrono::seconds(10)));
    EXPECT_EQ(core::ExistError(works, core::err::Communication), 1);
    EXPECT_TRUE(station.log.contains("STOP RETRAY!!"));
    EXPECT_EQ(std::string(works.errors.descriptor(core::err::Communication).line2).rfind("Err ", 0), 0u);
    emulator.control("clear-received");
    ASSERT_TRUE(waitUntil([&] { return received().size() >= 6; }, std::chrono::seconds(5)));
    EXPECT_EQ(works.retryStops, 1);
}

TEST_F(AmpLinkTest, CorruptedAndLowerCaseChecksumsAreDiscardedWithoutRetry) {
    startLink();
    ASSERT_TRUE(waitUntil([&] { return received().size() >= 4; }, std::chrono::seconds(5)));
    emulator.control("fault lowercase 1");
    emulator.control("fault crc 1");
    ASSERT_TRUE(waitUntil([&] { return station.log.contains("**** CHK ERROR!!"); }, std::chrono::seconds(5)));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(works.retryTotal, 0);
}

TEST_F(AmpLinkTest, RefusedGarbageAndOverlongRepliesGoThroughTheRetryPath) {
    startLink();
    ASSERT_TRUE(waitUntil([&] { return received().size() >= 4; }, std::chrono::seconds(5)));
    emulator.control("fault refuse 1");
    ASSERT_TRUE(waitUntil([&] { return works.retryTotal >= 1; }, std::chrono::seconds(5)));
    emulator.control("fault long 1");
    ASSERT_TRUE(
        waitUntil([&] { return station.log.contains("ERROR COUNTER LINEAR"); }, std::chrono::seconds(5)));
    emulator.control("clear-received");
    ASSERT_TRUE(waitUntil([&] { return received().size() >= 4; }, std::chrono::seconds(5)));
}

TEST_F(AmpLinkTest, ALateReplyIsDroppedAndTheLinkIsBackInStep) {
    startLink();
    ASSERT_TRUE(waitUntil([&] { return received().size() >= 4; }, std::chrono::seconds(5)));
    emulator.control("fault delay 1");
    // The reply comes 2 s late. The link gives it up after 1500 waits of 1 ms and sends the
    // command again, unless a busy machine stretches those waits past the late reply.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    emulator.control("clear-received");
    ASSERT_TRUE(waitUntil([&] { return received().size() >= 12; }, std::chrono::seconds(5)));
    // In step, the idle link alternates its two polls; one reply behind, it sends each twice.
    auto list = received();
    for (size_t i = 1; i < list.size(); ++i) EXPECT_NE(list[i], list[i - 1]) << i;
    EXPECT_LE(works.retryTotal, 1);
    EXPECT_EQ(station.log.contains("stale"), works.retryTotal == 1);
}

TEST_F(AmpLinkTest, SettingsNotYetReadAreNeverSentBack) {
    works.genSettings.set("01234");  // a short reply; the multiplier was never read
    works.frequency = 7074000;
    startLink();
    for (int32_t code : {core::cmd::GeneralSettings, core::cmd::Multiplier, core::cmd::Frequency})
        amp::IncPNTIn_CMDLinear(code, works);
    ASSERT_TRUE(waitForPayload("FA00007074000;"));  // the link went on
    for (const std::string& payload : received())
        EXPECT_TRUE(payload.rfind("GS", 0) != 0 && payload.rfind("CM", 0) != 0) << payload;
    EXPECT_TRUE(station.log.contains("GS not sent") && station.log.contains("CM not sent"));
    EXPECT_EQ(works.retryTotal, 0);
    works.genSettings.set("0300000000");
    amp::IncPNTIn_CMDLinear(core::cmd::GeneralSettings, works);
    EXPECT_TRUE(waitForPayload("GS0100000000;"));
}

TEST_F(AmpLinkTest, ThresholdsAreSentAgainOnABandChange) {
    auto [low, high, end] = testing_support::twoBandRows();
    low.limitPwrIn = 10, low.limitFwd = 70, low.limitRefl = 20, low.limitCurrent = 10;
    high.limitPwrIn = 5, high.limitFwd = 60, high.limitRefl = 10, high.limitCurrent = 14.05f;
    works.bandConfig = {low, high, end};
    works.frequency = 3600000;
    amp::SearchCambioSoglie_TS(works);
    startLink();
    ASSERT_TRUE(waitForPayload("TS1347368424522915;"));
    works.frequency = 14070000;
    amp::SearchCambioSoglie_TS(works);
    amp::SearchCambioSoglie_TS(works);  // the same band again queues nothing
    ASSERT_TRUE(waitForPayload("TS0952341117334095;"));
    auto list = received();
    EXPECT_EQ(
        std::count_if(list.begin(), list.end(), [](const std::string& p) { return p.rfind("TS", 0) == 0; }),
        2);
}

// Payloads received after the given one, in order.
std::vector<std::string> after(const std::vector<std::string>& list, const std::string& payload) {
    auto found = std::find(list.begin(), list.end(), payload);
    return found == list.end() ? std::vector<std::string>{} : std::vector<std::string>(found + 1, list.end());
}

bool contains(const std::vector<std::string>& list, const std::string& payload) {
    return std::find(list.begin(), list.end(), payload) != list.end();
}

TEST_F(AmpLinkTest, FanSpeedRisesAtOnceAndFallsOnlyPastTheHysteresis) {
    works.initDone = 1;
    works.fanSpeedActive = 100;
    works.Isteresi2 = 1;
    emulator.control("temp 30 30");
    startLink();
    ASSERT_TRUE(waitForPayload("FN1070;"));
    emulator.control("temp 52 30");
    ASSERT_TRUE(waitForPayload("FN1080;"));
    emulator.control("temp 56 30");
    ASSERT_TRUE(waitForPayload("FN1100;"));
    emulator.control("temp 54.5 30");
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_FALSE(contains(after(received(), "FN1100;"), "FN1080;")) << "within the hysteresis the fan stays";
    emulator.control("temp 53 30");
    EXPECT_TRUE(waitUntil([&] { return contains(after(received(), "FN1100;"), "FN1080;"); },
                          std::chrono::seconds(10)));
}

TEST_F(AmpLinkTest, ThermalAlarmProtectsTheAmplifierAndCoolingDownPutsItInByPass) {
    works.initDone = 1;
    works.errorsHeld = 0;
    works.fanSpeedActive = 100;
    emulator.control("temp 40 40");
    startLink();
    ASSERT_TRUE(waitUntil([&] { return works.temperature1 > 39; }, std::chrono::seconds(5)));
    emulator.control("temp 80 40");
    ASSERT_TRUE(waitForPayload("AB0;"));
    auto list = received();
    auto alarm = std::find(list.begin(), list.end(), "MP1;");
    ASSERT_NE(alarm, list.end());
    std::vector<std::string> sent;
    std::copy_if(alarm, list.end(), std::back_inserter(sent),
                 [](const std::string& p) { return p != "ST;"; });
    EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 3),
              (std::vector<std::string>{"MP1;", "AT11;", "AB0;"}));
    EXPECT_EQ(core::ExistError(works, core::err::Temp1Alarm), 1);

    emulator.control("temp 60 40");
    ASSERT_TRUE(waitForPayload("AB1;"));
    EXPECT_EQ(core::ExistError(works, core::err::Temp1Alarm), 0);
    EXPECT_EQ(core::ExistError(works, core::err::Temp1Cooled), 1)
        << "the cooled-down error waits for the user";
}

}  // namespace
