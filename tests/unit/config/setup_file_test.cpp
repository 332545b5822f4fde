#include "config/setup_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <thread>

#include "config/setup.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "test_station.h"
#include "tuner/factory_default.h"

using config::formatSetup;
using config::parseSetup;
using platform::LogChannel;
using testing_support::TestStation;

namespace {

const std::string kDefaultFile =
    "Passphrase: \n"
    "EnableKeyb: 1\n"
    "EnableSpi: 0\n"
    "EnableTouch: 0\n"
    "DelayedTouch: 0\n"
    "EnableGPIO: 1\n"
    "EnableRead: 0\n"
    "EnableWrite: 0\n"
    "EnableCAT: 0\n"
    "EnableLinear: 1\n"
    "EnableTime: 1\n"
    "WebSocket: 1\n"
    "Pitch: 2500\n"
    "Quality: 100\n"
    "AudioIn: hw:1\n"
    "InChannels: 2\n"
    "AudioCompress: 30000\n"
    "AudioOut: hw:1\n"
    "Server: 127.0.0.1\n"
    "TcpPort: 6666\n"
    "CatPort: /dev/QELTCAT\n"
    "SerPort: /dev/QELTSER\n"
    "LinPort: /dev/ttyAMA0\n"
    "NumAntenna: 1\n"
    "EnablePwrPeak: 0\n"
    "TempMode: 0\n"
    "FreqSensIn: 0\n"
    "FreqPeriodTime: 10\n"
    "AttenuatorTune: 0\n"
    "SWRescAutoTune: 0\n"
    "ViewTimeStr: 0\n"
    "ViewTemp: 0\n"
    "MaxTemperature: 700\n"
    "MaxTemperature2: 800\n"
    "AutoTuneMaxCicli: 0\n"
    "PowerUnits: 0\n"
    "SaveScreenIdx: 0\n"
    "AutoTuneMode: 0\n"
    "EnableFFT: 0\n"
    "Divide: 4\n"
    "MaxTempAllowed: 75\n"
    "MaxTempAllowed2: 85\n"
    "PSpar1: 1\n"
    "PSpar2: 1000\n"
    "Isteresi1: 3\n"
    "Isteresi2: 1\n"
    "PSpar3: 0\n"
    "PSpar4: 0\n"
    "OffsetPlot: 0\n"
    "RefLevelPlot: 0\n"
    "RefPosPlot: 10\n"
    "PointDivPlot: 10\n"
    "CatSerialPort: /dev/QELT817\n"
    "TUNEenabled: 0\n"
    "NumBanco: 0\n"
    "GMpar1: 2\n"
    "GMpar2: 100\n"
    "Peak_media: 2\n"
    "Peak_ValDec: 10\n"
    "Peak_TimeDec: 1\n"
    "Peak_Time: 3000\n"
    "MAXbank: 3\n"
    "BTN_longpress_Time: 5\n"
    "EnableDebug: 0\n"
    "Enable1600: 1\n"
    "EnableLOGTemp: 0\n"
    "AudioBuffers: 20\n"
    "AutoTuneTipo: 0\n"
    "CPUTempVentola: 80\n"
    "CPUPercVentola: 70\n"
    "ChunkTime: 10.000000\n"
    "BufferingTime: 100.000000\n"
    "FANmode: 0\n"
    "ViewType: 1\n"
    "ViewTX: 0\n";

// Every key away from its default, in the form a save writes it.
const std::string kCustomFile =
    "Passphrase: Secret7\n"
    "EnableKeyb: 0\n"
    "EnableSpi: 1\n"
    "EnableTouch: 1\n"
    "DelayedTouch: 1\n"
    "EnableGPIO: 0\n"
    "EnableRead: 1\n"
    "EnableWrite: 1\n"
    "EnableCAT: 1\n"
    "EnableLinear: 0\n"
    "EnableTime: 0\n"
    "WebSocket: 0\n"
    "Pitch: 700\n"
    "Quality: 50\n"
    "AudioIn: plughw:2\n"
    "InChannels: 1\n"
    "AudioCompress: 64000\n"
    "AudioOut: plughw:3\n"
    "Server: 192.168.1.20\n"
    "TcpPort: 7777\n"
    "CatPort: /dev/ttyUSB0\n"
    "SerPort: /dev/ttyUSB1\n"
    "LinPort: /dev/ttyS0\n"
    "NumAntenna: 3\n"
    "EnablePwrPeak: 1\n"
    "TempMode: 1\n"
    "FreqSensIn: 1\n"
    "FreqPeriodTime: 250\n"
    "AttenuatorTune: 3\n"
    "SWRescAutoTune: 153\n"
    "ViewTimeStr: 1\n"
    "ViewTemp: 1\n"
    "MaxTemperature: 655\n"
    "MaxTemperature2: 701\n"
    "AutoTuneMaxCicli: 5\n"
    "PowerUnits: 1\n"
    "SaveScreenIdx: 4\n"
    "AutoTuneMode: 1\n"
    "EnableFFT: 1\n"
    "Divide: 16\n"
    "MaxTempAllowed: 80\n"
    "MaxTempAllowed2: 90\n"
    "PSpar1: 3\n"
    "PSpar2: 2000\n"
    "Isteresi1: 5\n"
    "Isteresi2: 2\n"
    "PSpar3: 80\n"
    "PSpar4: 50\n"
    "OffsetPlot: -30\n"
    "RefLevelPlot: -20\n"
    "RefPosPlot: 5\n"
    "PointDivPlot: 20\n"
    "CatSerialPort: /dev/ttyUSB2\n"
    "TUNEenabled: 1\n"
    "NumBanco: 2\n"
    "GMpar1: 4\n"
    "GMpar2: 150\n"
    "Peak_media: 3\n"
    "Peak_ValDec: 7\n"
    "Peak_TimeDec: 2\n"
    "Peak_Time: 1500\n"
    "MAXbank: 19\n"
    "BTN_longpress_Time: 8\n"
    "EnableDebug: 1\n"
    "Enable1600: 0\n"
    "EnableLOGTemp: 1\n"
    "AudioBuffers: 30\n"
    "AutoTuneTipo: 1\n"
    "CPUTempVentola: 65\n"
    "CPUPercVentola: 55\n"
    "ChunkTime: 20.000000\n"
    "BufferingTime: 200.000000\n"
    "FANmode: 2\n"
    "ViewType: 3\n"
    "ViewTX: 2\n";

class SetupFileTest : public ::testing::Test {
  protected:
    void SetUp() override { config::initSetup(works); }

    // The value a save would write for one key.
    std::string written(const std::string& key) {
        std::string text = "\n" + formatSetup(works);
        std::size_t start = text.find("\n" + key + ": ") + key.size() + 3;
        return text.substr(start, text.find('\n', start) - start);
    }

    TestStation station;
    core::Works& works = station.works;
    core::SetupRecord& setup = station.setup;
};

TEST_F(SetupFileTest, EveryKeyComesBackAsItWasRead) {
    parseSetup(kCustomFile, works);
    EXPECT_EQ(formatSetup(works), kCustomFile);
    EXPECT_FLOAT_EQ(works.SWRescAutoTune, 1.53f);
    EXPECT_DOUBLE_EQ(works.plotOffset, -3.0);
    EXPECT_DOUBLE_EQ(works.PeakDecrement, 0.7);
    EXPECT_DOUBLE_EQ(works.TIME_LONG_PRESS, 0.8);
    EXPECT_EQ(works.captureFrames, 960);
    EXPECT_EQ(works.playbackFrames, 960);
    EXPECT_EQ(works.bufferChunks, 10);
    EXPECT_EQ(works.txBitrate, 64000);
    EXPECT_EQ(works.Server.get(), "192.168.1.20");
    EXPECT_EQ(works.mainWindow, 3);
    EXPECT_EQ(setup.enaUsbFFT, '1');  // Enable1600 comes after EnableFFT
}

TEST_F(SetupFileTest, EveryScaledValueUpToAThousandSurvivesTheTrip) {
    for (const char* key :
         {"SWRescAutoTune", "MaxTemperature", "MaxTemperature2", "Peak_ValDec", "BTN_longpress_Time"}) {
        for (int value = 0; value <= 1000; ++value) {
            parseSetup(std::string(key) + ": " + std::to_string(value) + "\n", works);
            ASSERT_EQ(written(key), std::to_string(value)) << key;
        }
    }
}

TEST_F(SetupFileTest, WithoutChunkTimeTheFramesStayButTheNextSaveCarriesTheDefault) {
    parseSetup("BufferingTime: 300\n", works);
    EXPECT_EQ(works.captureFrames, 240);
    EXPECT_EQ(works.bufferChunks, 30);
    EXPECT_EQ(written("ChunkTime"), "10.000000");
}

TEST_F(SetupFileTest, TemperatureThresholdsAreHeldBetween20AndTheAllowedMaximum) {
    parseSetup("MaxTemperature: 900\nMaxTemperature2: 150\n", works);
    config::VerifyTemperature(works);
    EXPECT_FLOAT_EQ(works.MaxTemperature, 75.0f);
    EXPECT_FLOAT_EQ(works.MaxTemperature2, 20.0f);
}

TEST_F(SetupFileTest, ValuesConvertBothWays) {
    parseSetup("NumAntenna: 3\nEnableFFT: 0\nTempMode: 10\nOffsetPlot: 25\n", works);
    EXPECT_EQ(works.NumAntenna, 2);
    EXPECT_EQ(written("NumAntenna"), "3");
    EXPECT_EQ(works.TempMode, 1);
    EXPECT_EQ(setup.enaUsbFFT, '0');
    EXPECT_DOUBLE_EQ(works.plotOffset, 2.0);  // whole units only
    EXPECT_EQ(written("OffsetPlot"), "20");
    works.EnableDebug = 2;
    EXPECT_EQ(written("EnableDebug"), "0");
}

TEST_F(SetupFileTest, OnlyKeyColonBlankLinesCount) {
    parseSetup("EnableCAT:1\nEnableRead : 1\nUnknown: 1\n\nEnableWrite: 1\r\nPitch: 900\r\nPitch: 1200\n",
               works);
    EXPECT_EQ(setup.EnableCAT, '0');
    EXPECT_EQ(setup.EnableRead, '0');
    EXPECT_EQ(setup.EnableWrite, '1');
    EXPECT_EQ(setup.text(setup.Pitch), "1200");
}

TEST_F(SetupFileTest, NumbersTakeTheirLeadingDigitsOrKeepTheDefault) {
    parseSetup("Divide: 8xy\nPSpar1:  -12\nPSpar2: abc\nTcpPort: port\nChunkTime: \n", works);
    EXPECT_EQ(works.Divide, 8);
    EXPECT_EQ(works.PSpar1, -12);
    EXPECT_EQ(works.PSpar2, 1000);
    EXPECT_EQ(works.TcpPort, 6666);
    EXPECT_EQ(setup.ChunkTime, 10.0f);
    EXPECT_TRUE(station.log.contains("setup value of PSpar2 holds no number, default kept"));
}

TEST_F(SetupFileTest, OverLongValuesAreCutToTheirSlot) {
    parseSetup("Pitch: 0123456789ABC\nPassphrase: " + std::string(150, 'p') + "\n", works);
    EXPECT_EQ(setup.text(setup.Pitch), "012345678");
    EXPECT_EQ(setup.text(setup.Quality), "100");
    EXPECT_EQ(works.Passphrase.get(), std::string(99, 'p'));
    EXPECT_TRUE(station.log.contains("setup value of Pitch too long, cut to 9 characters"));
    works.PSpar2 = 1234567;
    EXPECT_EQ(written("PSpar2"), "12345");
}

TEST_F(SetupFileTest, ReadLogsEveryValueWithFanModeTwice) {
    ASSERT_TRUE(config::writeSetup(works));
    station.log.clear();
    config::readSetup(works);
    std::vector<std::string> lines = station.log.lines(LogChannel::Info);
    ASSERT_EQ(lines.size(), 76u);
    EXPECT_EQ(lines[0], "Passphrase: -********-") << "not even an empty pass phrase shows";
    EXPECT_EQ(lines[23], "NumAntenna: -1-");
    EXPECT_EQ(lines[24], "FANmode: -0-");
    EXPECT_EQ(lines[33], "MaxTemperature: -700-");
    EXPECT_EQ(lines[40], "Divide: -4- -4-");
    EXPECT_EQ(lines[71], "ChunkTime: -10.000000-");
    EXPECT_EQ(lines[73], "FANmode: -0-");
    EXPECT_EQ(lines[75], "ViewTX: -0-");
}

TEST(SetupFile, FirstStartCreatesTheDefaultFileAndAFailedSaveIsReported) {
    TestStation station;
    config::readSetup(station.works);
    EXPECT_EQ(station.works.platform->files().read(config::kSetupPath), kDefaultFile);
    EXPECT_EQ(station.log.lines(LogChannel::Trace), std::vector<std::string>{"Init Setup! "});
    EXPECT_EQ(station.log.lines(LogChannel::Error),
              std::vector<std::string>{"can't open /opt/set/setup.txt"});
    EXPECT_TRUE(station.system().settingsReadOnly());

    station.system().failAction(platform::SystemAction::RemountSettingsReadWrite, 32);
    EXPECT_FALSE(config::writeSetup(station.works));
}

TEST(SetupFile, ConcurrentSavesAlwaysLeaveOneCompleteFile) {
    TestStation station;
    core::Works& works = station.works;
    config::initSetup(works);
    auto saver = [&](std::atomic<int32_t>& field) {
        core::SetupRecord record;
        core::Works check;
        check.setup = &record;
        for (int32_t round = 0; round < 50; ++round) {
            field = round;
            ASSERT_TRUE(config::writeSetup(works));
            std::string text = works.platform->files().read(config::kSetupPath).value_or("");
            config::resetSetupRecord(record);
            parseSetup(text, check);
            ASSERT_EQ(formatSetup(check), text);
            ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 75);
        }
    };
    std::thread first(saver, std::ref(works.PSpar3));
    std::thread second(saver, std::ref(works.PSpar4));
    first.join();
    second.join();
}

TEST(SetupFile, FactoryDefaultDrawsAPassphraseAndKeepsTheUnsetKeys) {
    TestStation station;
    core::Works& works = station.works;
    core::InitErrorDescriptors(works);
    config::initSetup(works);
    works.TempMode = 1;
    works.PSpar1 = 77;
    works.errorsHeld = 0;
    for (int code : {core::err::Temp1Alarm, core::err::RemoteUsb, core::err::Temp2Alarm})
        core::AddErrore(works, code);

    tuner::InitVar_Default(works);

    std::string passphrase = works.Passphrase.get();
    EXPECT_TRUE(std::regex_match(passphrase, std::regex("A[A-Za-z0-9]{6}"))) << passphrase;
    // The secret never reaches a log, nor its length: the trace and the dump show a fixed mask.
    EXPECT_FALSE(station.log.contains(passphrase));
    EXPECT_EQ(std::ranges::count(station.log.lines(LogChannel::Trace), "********\n"), 1);
    EXPECT_TRUE(station.log.contains("Passphrase: -********-"));
    std::string file = works.platform->files().read(config::kSetupPath).value_or("");
    EXPECT_EQ(file.substr(0, file.find('\n')), "Passphrase: " + passphrase);
    EXPECT_NE(file.find("\nTempMode: 1\n"), std::string::npos);
    EXPECT_NE(file.find("\nPSpar1: 1\n"), std::string::npos);
    EXPECT_EQ(works.errors.codes(), std::vector<int32_t>{core::err::RemoteUsb});
    EXPECT_EQ(works.antennaRow, -1);
    EXPECT_FALSE(works.cmdRing.pending().empty());
    EXPECT_TRUE(std::filesystem::is_empty(station.path("/tmp")));
}

}  // namespace
