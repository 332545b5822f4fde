#include "ui/main_loop.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "amp/startup_commands.h"
#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/record/spectrum_data.h"
#include "core/status_bits.h"
#include "core/try_mutex.h"
#include "radio/aux_serial.h"
#include "test_station.h"
#include "tuner/tune_search.h"
#include "ui/framebuffer.h"

namespace {

using testing_support::TestStation;

constexpr std::time_t kNow = 1700000000;

class MainLoop : public ::testing::Test {
  protected:
    MainLoop() : fb(ui::fbInit(works)) {
        works.fb = fb.get();
        works.serMut = &serMut;
        works.spectrum = &spectrum;
        works.mainWindow = 1;
        works.ModeWorkIdx = 0;
        works.ampFrequency = works.frequency.load();
        works.lastActivity = kNow;
    }
    ~MainLoop() override { works.fb = nullptr; }

    [[nodiscard]] std::vector<int32_t> queued() const { return works.cmdRing.pending(); }

    // TUNE pressed on a unit with the maker's transceiver, no display.
    void startPanelTune() {
        works.fb = nullptr;
        works.ModeWorkIdx = 1;
        works.TUNEenabled = 1;
        works.AutoTuneMode = 1;
        works.errorsHeld = 0;
        tuner::GoTune(works);
    }
    void linkSendsTheTunesFirstCommands() {
        works.cmdRing.clear();
        works.cmdBurst = 0;
    }

    TestStation station;
    core::Works& works = station.works;
    core::TryMutex serMut;
    core::SpectrumRecord spectrum;
    std::unique_ptr<ui::FrameBuffer> fb;
};

TEST_F(MainLoop, TransmitViewShowsViewTxWhileTransmittingThenThePreviousWindow) {
    ASSERT_NE(fb, nullptr);
    works.viewTx = 2;
    works.ampStatus = core::ampStatus::Transmitting;
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.mainWindow, 2);
    EXPECT_EQ(works.viewBeforeTx, 1);
    EXPECT_EQ(works.imageName.get(), "img3");
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.mainWindow, 2);

    works.ampStatus = 0;
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.mainWindow, 1);
    EXPECT_EQ(works.viewBeforeTx, -1);
    EXPECT_EQ(works.imageName.get(), "img1");

    // Switching the view off during a transmission still brings the window back.
    works.ampStatus = core::ampStatus::Transmitting;
    ui::timerTick(works, kNow);
    works.viewTx = 0;
    works.ampStatus = 0;
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.mainWindow, 1);

    works.ampStatus = core::ampStatus::Transmitting;  // no view on transmit: nothing changes
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.mainWindow, 1);
    EXPECT_EQ(works.viewBeforeTx, -1);
}

TEST_F(MainLoop, ScreenSaverStartsAfterTheIdleTimeAndAKeyRestoresTheWindow) {
    works.SaveScreenIdx = 5;  // one minute
    works.mainWindow = 3;
    works.pageFlags = core::pageFlags::BankTable;
    works.screenState = 6;
    ui::timerTick(works, kNow + 59);
    EXPECT_EQ(works.screenSaverOn, 0);
    ui::timerTick(works, kNow + 60);
    EXPECT_EQ(works.screenSaverOn, 1);
    EXPECT_EQ(works.imageName.get(), "start");

    EXPECT_EQ(ui::DisattivoScreenSave(works, kNow + 70), 1);
    EXPECT_EQ(works.screenSaverOn, 0);
    EXPECT_EQ(works.lastActivity, kNow + 70);
    EXPECT_EQ(works.pageFlags, 0);
    EXPECT_EQ(works.screenState, 0);
    EXPECT_EQ(works.mainWindow, 3);
    EXPECT_TRUE(station.log.contains("----------> DISATTIVO SAVE SCREEN\n"));
    EXPECT_EQ(ui::DisattivoScreenSave(works, kNow + 71), 0);
    ui::timerTick(works, kNow + 71);
    EXPECT_EQ(works.imageName.get(), "img1");

    works.ampModelFlag = '1';
    ui::timerTick(works, kNow + 131);
    EXPECT_EQ(works.imageName.get(), "start120");
}

TEST_F(MainLoop, TheSixtyMinuteScreenSaverStartsTooAndTransmittingOrAFrequencyChangeStopsIt) {
    works.SaveScreenIdx = 4;
    ui::timerTick(works, kNow + 59 * 60);
    EXPECT_EQ(works.screenSaverOn, 0);
    ui::timerTick(works, kNow + 60 * 60);
    EXPECT_EQ(works.screenSaverOn, 1);

    works.screenSaverOn = 1;
    works.ampStatus3 = core::ampStatus3::Keyed;
    ui::timerTick(works, kNow + 600);
    EXPECT_EQ(works.screenSaverOn, 0);

    works.ampStatus3 = 0;
    works.screenSaverOn = 1;
    works.ampFrequency = 7050000;
    ui::timerTick(works, kNow + 600);
    EXPECT_EQ(works.screenSaverOn, 0);
}

// A tripped protection waits for the operator's reset with its error box on
// the main screen: the screen saver does not start over it, a protection
// tripping while the saver shows brings the main screen back, and the idle
// time counts again from the reset.
TEST_F(MainLoop, ATrippedProtectionKeepsTheScreenSaverOff) {
    core::InitErrorDescriptors(works);
    works.errorsHeld = 0;
    works.SaveScreenIdx = 5;  // one minute
    ui::SetWorkImg(works);
    core::AddErrore(works, core::err::AmpProtection);
    ASSERT_NE(works.protFlags & core::protFlags::Tripped, 0);
    ui::timerTick(works, kNow + 600);
    EXPECT_EQ(works.screenSaverOn, 0);
    EXPECT_EQ(works.imageName.get(), "img1");

    core::DeleteErrore(works, core::err::AmpProtection);  // the operator's reset
    works.protFlags = 0;
    ui::timerTick(works, kNow + 659);
    EXPECT_EQ(works.screenSaverOn, 0);
    ui::timerTick(works, kNow + 660);
    EXPECT_EQ(works.screenSaverOn, 1);

    works.screenState = 3;
    core::AddErrore(works, core::err::BandProtection);
    ui::timerTick(works, kNow + 661);
    EXPECT_EQ(works.screenSaverOn, 0);
    EXPECT_EQ(works.screenState, 0);
    EXPECT_EQ(works.imageName.get(), "img1");
}

// Between two ticks only the frequency is followed, and only from the sources
// that other threads write into the record as they decode it.
TEST_F(MainLoop, ANewFrequencyDuringTheTicksPauseIsFollowedAtOnce) {
    works.ModeWorkIdx = 2;
    works.catSerialFreq = 7050000;
    ui::followFrequencyBetweenTicks(works, kNow);
    EXPECT_EQ(works.lastFrequency, 7050000);
    EXPECT_EQ(queued(), (std::vector<int32_t>{core::cmd::Frequency, core::cmd::Thresholds}));
    works.cmdRing.clear();
    ui::followFrequencyBetweenTicks(works, kNow);
    EXPECT_TRUE(queued().empty()) << "nothing new";

    works.ModeWorkIdx = 1;
    works.lastFrequency = 0;
    ui::followFrequencyBetweenTicks(works, kNow);
    EXPECT_TRUE(queued().empty()) << "the maker's transceiver's record is read once a tick";
    EXPECT_EQ(works.lastFrequency, 0);
}

TEST_F(MainLoop, FrequencyChangeFromTheSerialCatQueuesTheFrequencyAndThresholds) {
    works.ModeWorkIdx = 2;
    works.catSerialFreq = 7050000;
    works.antennaIn = 2;
    works.tuneFine = 1;
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.frequency, 7050000);
    EXPECT_EQ(works.lastFrequency, 7050000);
    EXPECT_EQ(works.antennaIn, 0);
    EXPECT_EQ(works.tuneFine, 0);
    EXPECT_EQ(queued(),
              (std::vector<int32_t>{core::cmd::AntennaInput, core::cmd::Frequency, core::cmd::Thresholds}));

    works.cmdRing.clear();
    ui::timerTick(works, kNow);  // nothing new
    EXPECT_TRUE(queued().empty());
}

TEST_F(MainLoop, GenericModeTakesTheAmplifierFrequencyWithoutTheFrequencyCommand) {
    works.ampFrequency = 3650000;
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.lastFrequency, 3650000);
    EXPECT_EQ(queued(), (std::vector<int32_t>{core::cmd::Thresholds}));

    works.fb = nullptr;  // the loop runs without a display too
    works.ampFrequency = 7050000;
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.lastFrequency, 7050000);
    EXPECT_FALSE(works.clockText.get().empty());
}

TEST_F(MainLoop, NoBandChangeWhileTheAmplifierTransmits) {
    works.ampStatus = core::ampStatus::Transmitting;
    works.ampFrequency = 21100000;
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.frequency, 21100000);
    EXPECT_EQ(works.lastFrequency, 14070000);
    EXPECT_TRUE(queued().empty());
    works.ampStatus = 0;
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.lastFrequency, 21100000);
}

TEST_F(MainLoop, RedrawRequestReloadsTheWindowOnceAndLeavesTheSerialLinkToTheTransceiver) {
    works.redrawRequest = 1;
    works.mainWindow = 5;
    station.setup.enaser = '1';
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.redrawRequest, 0);
    EXPECT_EQ(works.imageName.get(), "m5a");
    EXPECT_EQ(station.setup.enaser, '0');

    works.ModeWorkIdx = 1;
    station.setup.enaser = '1';
    ui::SetWorkImg(works);
    EXPECT_EQ(station.setup.enaser, '1');
}

TEST_F(MainLoop, ADismissedFailureReturnsToTheMainScreenAndEscClosesOnlyTheStatusPage) {
    works.failedThread = -1;
    works.screenState = 3;
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.failedThread, 0);
    EXPECT_EQ(works.screenState, 0);
    works.pageFlags = core::pageFlags::BankTable;
    EXPECT_EQ(ui::EscFromStatus(works), 0);
    works.pageFlags = core::pageFlags::BankTable | core::pageFlags::StatusPage;
    EXPECT_EQ(ui::EscFromStatus(works), 1);
    EXPECT_EQ(works.pageFlags, core::pageFlags::BankTable);
}

TEST_F(MainLoop, ClockTextChangesAtMostOncePerSecond) {
    ui::ReadDataOra(works, kNow);
    const std::string text = works.clockText.get();
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << text;
    works.clockText.set("kept");
    ui::ReadDataOra(works, kNow);
    EXPECT_EQ(works.clockText.get(), "kept");
    ui::ReadDataOra(works, kNow + 1);
    EXPECT_NE(works.clockText.get(), "kept");
}

TEST_F(MainLoop, APanelTuneWhoseCarrierNeverComesIsAborted) {
    startPanelTune();
    ASSERT_EQ(works.tuneState, 1);
    while (works.cmdRing.pop()) {
    }
    ui::timerTick(works, kNow);
    EXPECT_TRUE(works.tuneTxState & core::tuneTxState::SendCarrier) << "the carrier is asked for";
    for (int tick = 0; tick < 30; ++tick) ui::timerTick(works, kNow);
    EXPECT_EQ(works.tuneState, 1);
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.tuneState, 0);
    EXPECT_EQ(core::ExistError(works, core::err::TuneAborted), 1);
    EXPECT_EQ(works.tuneTxState & (core::tuneTxState::PanelTune | core::tuneTxState::SendCarrier |
                                   core::tuneTxState::CarrierSent),
              0);
}

// The maker's transceiver moves while a panel tune waits for its carrier:
// the band follows once the tune has ended, and the carrier is still asked for.
TEST_F(MainLoop, ABandChangeDuringATuneWaitsForTheTuneToEnd) {
    startPanelTune();
    ASSERT_EQ(works.tuneState, 1);
    linkSendsTheTunesFirstCommands();
    works.qorParams[core::qorWord::ActiveFrequency] = 7100000;
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.frequency, 7100000);
    EXPECT_EQ(works.lastFrequency, 14070000);
    EXPECT_TRUE(queued().empty());
    EXPECT_TRUE(works.tuneTxState & core::tuneTxState::SendCarrier);

    tuner::EscAutoTune(works, 0, tuner::TuneExit::NoCarrier);
    works.cmdRing.clear();
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.lastFrequency, 7100000);
    ASSERT_FALSE(queued().empty());
    EXPECT_EQ(queued().front(), core::cmd::Frequency);
}

// Commands queued after the tune's first ones wait for its end; they must not
// keep the carrier from being asked for, or the tune waits for ever.
TEST_F(MainLoop, APanelTuneAsksForItsCarrierOnceItsFirstCommandsAreOut) {
    startPanelTune();
    linkSendsTheTunesFirstCommands();
    amp::IncPNTIn_CMDLinear(core::cmd::Thresholds, works);
    ui::timerTick(works, kNow);
    EXPECT_TRUE(works.tuneTxState & core::tuneTxState::SendCarrier);
}

TEST_F(MainLoop, APanelTuneWhoseFirstCommandsNeverGoOutIsAborted) {
    startPanelTune();
    ASSERT_FALSE(works.cmdRing.empty());
    ASSERT_EQ(works.cmdBurst, 1);
    for (int tick = 0; tick < 124; ++tick) ui::timerTick(works, kNow);
    EXPECT_EQ(works.tuneState, 1);
    EXPECT_FALSE(works.tuneTxState & core::tuneTxState::SendCarrier);
    ui::timerTick(works, kNow);
    EXPECT_EQ(works.tuneState, 0);
    EXPECT_EQ(core::ExistError(works, core::err::TuneAborted), 1);
    EXPECT_FALSE(works.tuneTxState & core::tuneTxState::PanelTune);
}

TEST(TimerAges, RetryDelayCountsDownToZeroAndTheTemperatureLogGetsALineEveryFiveSeconds) {
    TestStation station;
    core::Works& works = station.works;
    ui::TimerAges ages;
    works.retryDelay = 100;
    ui::ageTimers(works, 40, ages);
    EXPECT_EQ(works.retryDelay, 60);
    ui::ageTimers(works, 70, ages);
    EXPECT_EQ(works.retryDelay, 0);
    ui::ageTimers(works, 70, ages);
    EXPECT_EQ(works.retryDelay, 0);

    const std::filesystem::path log = station.path("/opt/set/LOGtemp.txt");
    works.EnableLOGTemp = 1;
    ui::ageTimers(works, 6000, ages);  // logging has not started: no time counted
    EXPECT_FALSE(std::filesystem::exists(log));

    works.logStarted = 1;
    ui::ageTimers(works, 4960, ages);
    EXPECT_FALSE(std::filesystem::exists(log));
    ui::ageTimers(works, 40, ages);
    ASSERT_TRUE(std::filesystem::exists(log));
    EXPECT_EQ(ages.tempLogMs, 0);
}

TEST(TimerThread, EndsWhenRunningDropsAndLogsIt) {
    TestStation station;
    station.works.timerPeriod = 1000;
    station.works.running = 0;
    ui::timer(station.works);
    EXPECT_EQ(station.log.lines(platform::LogChannel::Info),
              (std::vector<std::string>{"Timer operations end\n"}));
}

}  // namespace
