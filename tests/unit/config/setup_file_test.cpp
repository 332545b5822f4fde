#include "config/setup_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "config/remote_threads.h"
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

// Every key in file order: its default, then a value away from it in the form a save writes it.
const std::vector<std::array<const char*, 3>> kKeys{
    {"Passphrase", "", "Secret7"},
    {"EnableKeyb", "1", "0"},
    {"EnableSpi", "0", "1"},
    {"EnableTouch", "0", "1"},
    {"DelayedTouch", "0", "1"},
    {"EnableGPIO", "1", "0"},
    {"EnableRead", "0", "1"},
    {"EnableWrite", "0", "1"},
    {"EnableCAT", "0", "1"},
    {"EnableLinear", "1", "0"},
    {"EnableTime", "1", "0"},
    {"WebSocket", "1", "0"},
    {"Pitch", "2500", "700"},
    {"Quality", "100", "50"},
    {"AudioIn", "hw:1", "plughw:2"},
    {"InChannels", "2", "1"},
    {"AudioCompress", "30000", "64000"},
    {"AudioOut", "hw:1", "plughw:3"},
    {"Server", "127.0.0.1", "192.168.1.20"},
    {"TcpPort", "6666", "7777"},
    {"CatPort", "/dev/QELTCAT", "/dev/ttyUSB0"},
    {"SerPort", "/dev/QELTSER", "/dev/ttyUSB1"},
    {"LinPort", "/dev/ttyAMA0", "/dev/ttyS0"},
    {"NumAntenna", "1", "3"},
    {"EnablePwrPeak", "0", "1"},
    {"TempMode", "0", "1"},
    {"FreqSensIn", "0", "1"},
    {"FreqPeriodTime", "10", "250"},
    {"AttenuatorTune", "0", "3"},
    {"SWRescAutoTune", "0", "153"},
    {"ViewTimeStr", "0", "1"},
    {"ViewTemp", "0", "1"},
    {"MaxTemperature", "700", "655"},
    {"MaxTemperature2", "800", "701"},
    {"AutoTuneMaxCicli", "0", "5"},
    {"PowerUnits", "0", "1"},
    {"SaveScreenIdx", "0", "4"},
    {"AutoTuneMode", "0", "1"},
    {"EnableFFT", "0", "1"},
    {"Divide", "4", "16"},
    {"MaxTempAllowed", "75", "80"},
    {"MaxTempAllowed2", "85", "90"},
    {"PSpar1", "1", "3"},
    {"PSpar2", "1000", "2000"},
    {"Isteresi1", "3", "5"},
    {"Isteresi2", "1", "2"},
    {"PSpar3", "0", "80"},
    {"PSpar4", "0", "50"},
    {"OffsetPlot", "0", "-30"},
    {"RefLevelPlot", "0", "-20"},
    {"RefPosPlot", "10", "5"},
    {"PointDivPlot", "10", "20"},
    {"CatSerialPort", "/dev/QELT817", "/dev/ttyUSB2"},
    {"TUNEenabled", "0", "1"},
    {"NumBanco", "0", "2"},
    {"GMpar1", "2", "4"},
    {"GMpar2", "100", "150"},
    {"Peak_media", "2", "3"},
    {"Peak_ValDec", "10", "7"},
    {"Peak_TimeDec", "1", "2"},
    {"Peak_Time", "3000", "1500"},
    {"MAXbank", "3", "19"},
    {"BTN_longpress_Time", "5", "8"},
    {"EnableDebug", "0", "1"},
    {"Enable1600", "1", "0"},
    {"EnableLOGTemp", "0", "1"},
    {"AudioBuffers", "20", "30"},
    {"AutoTuneTipo", "0", "1"},
    {"CPUTempVentola", "80", "65"},
    {"CPUPercVentola", "70", "55"},
    {"ChunkTime", "10.000000", "20.000000"},
    {"BufferingTime", "100.000000", "200.000000"},
    {"FANmode", "0", "2"},
    {"ViewType", "1", "3"},
    {"ViewTX", "0", "2"},
};

// The file of one column of kKeys.
std::string fileOf(size_t column) {
    std::string text;
    for (const auto& key : kKeys) text += std::string(key[0]) + ": " + key[column] + "\n";
    return text;
}

const std::string kDefaultFile = fileOf(1);
const std::string kCustomFile = fileOf(2);

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

TEST(RemoteThreads, StopAndStartFlipTheEnableCharactersAndSave) {
    testing_support::TestStation station;
    core::Works& works = station.works;
    station.setup.EnableWrite = '1';
    station.setup.EnableFFT = '1';
    works.remoteFault = 1;
    config::ExitThreadRemote(works);
    EXPECT_EQ(station.setup.EnableWrite, '0');
    EXPECT_EQ(station.setup.EnableFFT, '0');
    EXPECT_TRUE(station.log.contains(">>>>>>>>>>>>>>>>>>>>>>>>> REMOTE STOP \n"));
    config::StartThreadCommRemote(works);
    for (char enable : {station.setup.EnableWrite.load(), station.setup.EnableRead.load(),
                        station.setup.EnableCAT.load(), station.setup.EnableFFT.load()})
        EXPECT_EQ(enable, '1');
    EXPECT_EQ(works.remoteFault, 0);
    EXPECT_TRUE(std::filesystem::exists(station.path("/opt/set/setup.txt")));
}

}  // namespace
