#include "amp/thermal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <regex>
#include <string>

#include "amp/status_reply.h"
#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/status_bits.h"
#include "test_station.h"

using platform::LogChannel;
using platform::SystemAction;
using testing_support::TestStation;

namespace {

namespace cmd = core::cmd;
namespace err = core::err;

// Sensor 1 with a 70 °C limit and a 3 °C warning band, errors not held.
struct ThermalStation : TestStation {
    ThermalStation() {
        works.errorsHeld = 0;
        core::InitErrorDescriptors(works);
        works.Isteresi1 = 3;
    }
    void sensor1(float temperature) {
        amp::GestTemperatureFunction(works, err::Temp1Alarm, err::Temp1Cooled, err::Temp1Warning, temperature,
                                     70.0f);
    }
    std::vector<int32_t> errors() const { return works.errors.codes(); }
};

TEST(ThermalProtection, LimitItselfWarnsAndATenthAboveTrips) {
    ThermalStation station;
    auto& works = station.works;
    station.sensor1(66.9f);
    EXPECT_TRUE(station.errors().empty());
    station.sensor1(70.0f);
    EXPECT_EQ(station.errors(), std::vector<int32_t>{err::Temp1Warning});
    EXPECT_TRUE(works.cmdRing.empty());
    EXPECT_TRUE(station.log.contains("!!!! WARNING: Quasi in Temperatura!! (23)\n"));

    station.sensor1(70.1f);
    EXPECT_EQ(station.errors(), std::vector<int32_t>{err::Temp1Alarm});
    EXPECT_EQ(works.cmdRing.pending(),
              (std::vector<int32_t>{cmd::ProtectionOn, cmd::PadsIn, cmd::LeaveBypass}));
    EXPECT_TRUE(station.log.contains("PROTEZIONE ON -------------\n"));
    EXPECT_TRUE(station.log.contains("!!!!  TEMP ALLARM: 70.10 (2)\n"));

    // Still hot: the alarm is not raised again.
    station.sensor1(75.0f);
    EXPECT_EQ(works.cmdRing.pending().size(), 3u);
    // Inside the warning band the alarm stands and no warning joins it.
    station.sensor1(68.0f);
    EXPECT_EQ(station.errors(), std::vector<int32_t>{err::Temp1Alarm});
}

TEST(ThermalProtection, CoolingBelowTheBandEndsTheAlarmInBypass) {
    ThermalStation station;
    auto& works = station.works;
    station.sensor1(71.0f);
    works.cmdRing.clear();
    station.sensor1(67.0f);
    EXPECT_EQ(station.errors(), std::vector<int32_t>{err::Temp1Alarm});
    station.sensor1(66.9f);
    EXPECT_EQ(station.errors(), std::vector<int32_t>{err::Temp1Cooled});
    EXPECT_EQ(works.cmdRing.pending(), std::vector<int32_t>{cmd::Bypass});
    EXPECT_TRUE(station.log.contains("!!!! END TEMPERATURE ERROR (0)\n"));

    // A new alarm replaces the cooled-down error.
    station.sensor1(72.0f);
    EXPECT_EQ(station.errors(), std::vector<int32_t>{err::Temp1Alarm});
}

TEST(ThermalProtection, WarningWithdrawsBelowTheBand) {
    ThermalStation station;
    auto sensor2 = [&](float temperature) {
        amp::GestTemperatureFunction(station.works, err::Temp2Alarm, err::Temp2Cooled, err::Temp2Warning,
                                     temperature, 80.0f);
    };
    sensor2(79.0f);
    EXPECT_EQ(station.errors(), std::vector<int32_t>{err::Temp2Warning});
    sensor2(60.0f);
    EXPECT_TRUE(station.errors().empty());
    EXPECT_TRUE(station.works.cmdRing.empty());
    EXPECT_TRUE(station.log.contains("!!!! WARNING: Warning Temperatura Rientrato!! (24)\n"));
}

TEST(ThermalProtection, OpenSensorTripsItsAlarmThroughTheSmoothing) {
    for (uint16_t counts : {uint16_t{4095}, uint16_t{9999}}) {
        for (int sensor : {1, 2}) {
            ThermalStation station;
            auto& works = station.works;
            works.MaxTemperature = 70.0f;
            works.MaxTemperature2 = 80.0f;
            works.temperature1 = 30.0f;
            works.temperature2 = 30.0f;
            amp::StatusReply reply;
            reply.sensor1 = reply.sensor2 = 2048;
            (sensor == 1 ? reply.sensor1 : reply.sensor2) = counts;
            int alarm = sensor == 1 ? err::Temp1Alarm : err::Temp2Alarm;
            int replies = 0;
            while (replies < 50 && !core::ExistError(works, alarm)) {
                amp::ApplyStatusReply(works, reply, "ST");
                ++replies;
            }
            // Each reply moves the smoothed value a tenth of the way to the hottest reading.
            EXPECT_LE(replies, 15) << counts << " on sensor " << sensor;
        }
    }
}

TEST(ThermalProtection, HeldErrorsBlockEverything) {
    ThermalStation station;
    station.works.errorsHeld = core::errorsHeld::Held;
    station.sensor1(90.0f);
    station.sensor1(69.0f);
    EXPECT_TRUE(station.errors().empty());
    EXPECT_TRUE(station.works.cmdRing.empty());
}

TEST(ThermalProtection, AlarmWritesATripLineWhenLogging) {
    ThermalStation station;
    station.works.EnableLOGTemp = 1;
    station.works.logStarted = 1;
    station.sensor1(71.0f);
    auto text = station.works.platform->files().read(amp::kTempLogPath);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find(" -> protezione attiva\n"), std::string::npos);
    EXPECT_EQ(station.works.logStarted, 0);
}

TEST(CpuTemperature, ReadsBothLinesOfMyTempAndKeepsThemWhenItFailsLoggingOnce) {
    TestStation station;
    auto& works = station.works;
    works.cpuTemp = 40.0f;
    works.cpuTemp2 = 41.0f;
    struct Case {
        std::optional<std::string> report;
        float cpu, gpu;
        size_t errors;
    };
    for (const Case& c : {Case{std::nullopt, 40.0f, 41.0f, 1}, Case{std::nullopt, 40.0f, 41.0f, 1},
                          Case{"50.0\n", 50.0f, 41.0f, 1}, Case{"47.2\ntemp=51.5'C\n", 47.2f, 51.5f, 1},
                          Case{"error\n", 47.2f, 51.5f, 2}}) {
        station.system().setBoardTemperatureReport(c.report);
        amp::ReadCPUTemp(works);
        EXPECT_FLOAT_EQ(works.cpuTemp, c.cpu) << c.report.value_or("none");
        EXPECT_FLOAT_EQ(works.cpuTemp2, c.gpu) << c.report.value_or("none");
        EXPECT_EQ(station.log.lines(LogChannel::Error).size(), c.errors) << c.report.value_or("none");
    }
}

TEST(TemperatureLog, HeaderThenOneLinePerCall) {
    TestStation station;
    auto& works = station.works;
    works.temperature1 = 45.25f;
    works.temperature2 = 8.0f;
    works.powerFwd = 100.0f;
    works.swr = 1.5f;
    works.currentRaw = 2048.0f;
    works.ampModelFlag = '1';
    works.tinyResult3 = 51;  // 51 * 3.3 * 348 / 255 / 18 = 12.76 V
    works.ampStatus = core::ampStatus::Transmitting;
    amp::LogTempFunction(works, 0);
    works.ampStatus = 0;
    amp::LogTempFunction(works, 1);
    auto text = works.platform->files().read(amp::kTempLogPath);
    ASSERT_TRUE(text);
    std::regex expected(
        ";TX,Temp1,Temp2,FDD,SWR\n"
        "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d , 1,45\\.2,08\\.0,100\\.0W,1\\.50,12\\.8V,07\\.0A\n"
        "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d , 0,45\\.2,08\\.0,100\\.0W,1\\.50,12\\.8V,07\\.0A -> "
        "protezione attiva\n");
    EXPECT_TRUE(std::regex_match(*text, expected)) << *text;
    EXPECT_TRUE(station.system().settingsReadOnly());

    amp::LogTempFunction(works, -1);
    EXPECT_FALSE(std::filesystem::exists(station.path(amp::kTempLogPath)));
}

TEST(TemperatureLog, ReadOnlyRemountFollowsAFailedOpenAndNothingIsWrittenWithoutTheReadWriteOne) {
    TestStation station;
    std::filesystem::create_directory(station.path(amp::kTempLogPath));
    amp::LogTempFunction(station.works, 0);
    EXPECT_EQ(station.actions(), (std::vector<SystemAction>{SystemAction::RemountSettingsReadWrite,
                                                            SystemAction::RemountSettingsReadOnly}));
    EXPECT_TRUE(station.system().settingsReadOnly());
    EXPECT_FALSE(station.log.lines(LogChannel::Error).empty());

    std::filesystem::remove(station.path(amp::kTempLogPath));
    station.system().failAction(SystemAction::RemountSettingsReadWrite, 32);
    amp::LogTempFunction(station.works, 0);
    EXPECT_FALSE(std::filesystem::exists(station.path(amp::kTempLogPath)));
    EXPECT_TRUE(station.log.contains("can't mount rw /opt/set/ error"));
}

}  // namespace
