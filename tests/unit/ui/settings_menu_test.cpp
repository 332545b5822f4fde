#include "ui/settings_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/status_bits.h"
#include "test_frame.h"
#include "test_station.h"

namespace {

using testing_support::TestStation;
using namespace ui::menuItem;
namespace code = ui::editCode;

class SettingsMenu : public ::testing::Test {
  protected:
    SettingsMenu() {
        works.errorsHeld = 0;
        ui::InitMenuNova(works);
        works.screenState = 2;
    }
    std::string value(int item) { return ui::LoadParameterMenu(works, item, 0); }
    int press(int item, int editCode) {
        works.menuIndex = item;
        return ui::ModifyParameter(works, editCode);
    }
    [[nodiscard]] std::string setupFile() const {
        std::ifstream file(station.path("/opt/set/setup.txt"));
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    [[nodiscard]] bool queued(int32_t command) const {
        for (int32_t pending : works.cmdRing.pending())
            if (pending == command) return true;
        return false;
    }

    TestStation station;
    core::Works& works = station.works;
};

TEST_F(SettingsMenu, ItemTable) {
    EXPECT_EQ(works.menuCount, ui::kMenuItemCount);
    EXPECT_EQ(ui::menuPar[0].number, 1);
    EXPECT_STREQ(ui::menuPar[TargetSwr].label, "Target SWR (0=Off)");
    EXPECT_STREQ(ui::menuPar[AdvancedDefault].section, "SERVICE");
    for (int item = 0; item < ui::kMenuItemCount; ++item) {
        const ui::MenuItem& entry = ui::menuPar[static_cast<size_t>(item)];
        EXPECT_EQ(entry.editable, item != RemotePassword) << entry.label;
        EXPECT_EQ(entry.address, item >= Ip && item <= Dns) << entry.label;
    }
}

TEST_F(SettingsMenu, ValueTexts) {
    struct Case {
        int item;
        std::function<void(core::Works&)> set;
        const char* expected;
    };
    const std::vector<Case> cases{
        {MaxBanks, [](core::Works& w) { w.MAXbank = 7; }, "7"},
        {RxFilters,
         [](core::Works& w) {
             w.menuIndex = RxFilters;
             w.filterModify = 1;
         },
         "Modify"},
        {RxFilters, [](core::Works& w) { w.menuIndex = RxFilters; }, "Exit"},
        {RxFilters,
         [](core::Works& w) {
             w.menuIndex = RxFilters;
             w.screenState = 1;
         },
         ""},
        // The row under the first item while that item is edited.
        {RxFilters, [](core::Works& w) { w.menuIndex = MaxBanks; }, ""},
        {UseMode, [](core::Works& w) { w.useModeRemote = 1; }, "Remote"},
        {RemotePassword, [](core::Works& w) { w.Passphrase.set("Aq1Zz9"); }, "Aq1Zz9"},
        {RemotePassword, [](core::Works& w) { w.Passphrase.set(""); }, "not set"},
        {LongPressTime, [](core::Works& w) { w.TIME_LONG_PRESS = 1.2; }, "1.2sec"},
        {ScreensaverTimeout, [](core::Works& w) { w.SaveScreenIdx = 5; }, "1min"},
        {PeakActivation, [](core::Works& w) { w.EnablePwrPeak = 1; }, "ON"},
        {PeakReleaseTime, [](core::Works& w) { w.TimerPeakSec = 3000; }, "3000ms"},
        {EnableTune, [](core::Works& w) { w.TUNEenabled = -1; }, "ON"},
        {ForceAttenuator, [](core::Works& w) { w.AttenuatorTune = 3; }, "5dB"},
        {TargetSwr, [](core::Works& w) { w.SWRescAutoTune = 1.5f; }, "1.50"},
        {AutoTuneTimeout, [](core::Works& w) { w.AutoTuneMaxCicli = 4; }, "5sec"},
        {AtuInstalled, [](core::Works& w) { w.TUNEenabled = -2; }, "No"},
        {PowersUnit, [](core::Works& w) { w.PowerUnits = 1; }, "dBm"},
        {TemperaturesUnit, [](core::Works& w) { w.TempMode = 1; }, "Fahrenheit"},
        {ViewOnTx, [](core::Works& w) { w.viewTx = 3; }, "View 3"},
        {ViewOnTx, [](core::Works& w) { w.viewTx = 0; }, "Off"},
        {RefLevel, [](core::Works& w) { w.plotRefLevel = -30; }, "-30dBm"},
        {PlotOffset, [](core::Works& w) { w.plotOffset = -1.5; }, "-1.50dBm"},
        {Gateway, [](core::Works& w) { w.Gateway_v[0] = 192, w.Gateway_v[1] = 168, w.Gateway_v[3] = 1; },
         "192.168.0.1"},
        {P2AlarmSetPoint, [](core::Works& w) { w.MaxTemperature2 = 65.5f; }, "65.50°C"},
        {FanWorkMode, [](core::Works& w) { w.FANmode = 2; }, "DIG"},
        {FreqPeriod, [](core::Works& w) { w.FreqPeriodTime = 10; }, "10ms"},
        {FactoryDefault, [](core::Works& w) { w.factoryDefaultArmed = 1; }, "Set Default"},
        {SoftwareUpdate, [](core::Works& w) { w.serviceFlags = core::serviceFlags::SoftwareUpdateArmed; },
         "ON"},
        {FirmwareUpdate, [](core::Works& w) { w.serviceFlags = core::serviceFlags::SoftwareUpdateArmed; },
         "OFF"},
        {AdvancedDefault, [](core::Works&) {}, "No Default"},
    };
    for (const Case& c : cases) {
        TestStation fresh;
        fresh.works.screenState = 2;
        c.set(fresh.works);
        EXPECT_EQ(ui::LoadParameterMenu(fresh.works, c.item, 0), c.expected) << ui::menuPar[c.item].label;
    }
}

TEST_F(SettingsMenu, EditRules) {
    struct Case {
        const char* name;
        int item;
        std::function<void(core::Works&)> start;
        std::vector<std::pair<int, const char*>> steps;  // edit code, value text after it
    };
    const std::vector<Case> cases{
        {"point div up",
         PointDiv,
         [](core::Works& w) { w.plotPointDiv = 1; },
         {{code::Plus, "2"}, {code::Plus, "5"}, {code::Plus, "10"}, {code::Plus, "20"}, {code::Plus, "20"}}},
        {"point div down",
         PointDiv,
         [](core::Works& w) { w.plotPointDiv = 20; },
         {{code::Minus, "10"},
          {code::Minus, "5"},
          {code::Minus, "2"},
          {code::Minus, "1"},
          {code::Minus, "1"}}},
        {"target swr off and on",
         TargetSwr,
         [](core::Works& w) { w.SWRescAutoTune = 1.01f; },
         {{code::Minus, "1.00"}, {code::Minus, "0.00"}, {code::Minus, "0.00"}, {code::Plus, "1.00"}}},
        {"target swr at most 10",
         TargetSwr,
         [](core::Works& w) { w.SWRescAutoTune = 9.99f; },
         {{code::Plus, "10.00"}, {code::Plus, "10.00"}}},
        {"banks low",
         MaxBanks,
         [](core::Works& w) { w.MAXbank = 3; },
         {{code::Minus, "2"}, {code::Minus, "2"}, {code::Plus, "3"}}},
        {"banks high",
         MaxBanks,
         [](core::Works& w) { w.MAXbank = 19; },
         {{code::Plus, "20"}, {code::Plus, "20"}}},
        {"screensaver wraps",
         ScreensaverTimeout,
         [](core::Works& w) { w.SaveScreenIdx = 4; },
         {{code::Plus, "1min"}, {code::Plus, "5min"}, {code::Minus, "1min"}}},
        {"tune timeout",
         AutoTuneTimeout,
         [](core::Works& w) { w.AutoTuneMaxCicli = 3; },
         {{code::Minus, "5sec"}, {code::Minus, "5sec"}, {code::Plus, "10sec"}}},
        {"tune timeout top",
         AutoTuneTimeout,
         [](core::Works& w) { w.AutoTuneMaxCicli = 0; },
         {{code::Plus, "25sec"}, {code::Minus, "20sec"}}},
        {"long press low",
         LongPressTime,
         [](core::Works& w) { w.TIME_LONG_PRESS = 0.4; },
         {{code::Minus, "0.3sec"}, {code::Minus, "0.3sec"}, {code::Plus, "0.4sec"}}},
        {"long press high",
         LongPressTime,
         [](core::Works& w) { w.TIME_LONG_PRESS = 4.9; },
         {{code::Plus, "5.0sec"}, {code::Plus, "5.0sec"}}},
        {"release time",
         PeakReleaseTime,
         [](core::Works& w) { w.TimerPeakSec = 4990; },
         {{code::Plus, "5000ms"}, {code::Plus, "5000ms"}, {code::Minus, "4990ms"}}},
        {"attenuator cycle",
         ForceAttenuator,
         [](core::Works& w) { w.AttenuatorTune = 0; },
         {{code::Plus, "2dB"}, {code::Minus, "3dB"}, {code::Right, "5dB"}, {code::Left, "0dB"}}},
        {"view on tx",
         ViewOnTx,
         [](core::Works& w) { w.viewTx = 5; },
         {{code::Plus, "View 5"}, {code::Minus, "View 4"}}},
        {"ref level",
         RefLevel,
         [](core::Works& w) { w.plotRefLevel = 95; },
         {{code::Plus, "100dBm"}, {code::Plus, "100dBm"}, {code::Minus, "90dBm"}}},
        {"offset",
         PlotOffset,
         [](core::Works& w) { w.plotOffset = 199.9; },
         {{code::Plus, "200.00dBm"}, {code::Plus, "200.00dBm"}}},
        {"alarm set point clamped",
         P1AlarmSetPoint,
         [](core::Works& w) { w.MaxTemperature = 74.9f; },
         {{code::Plus, "75.00°C"}, {code::Plus, "75.00°C"}, {code::Minus, "74.90°C"}}},
        {"fan mode",
         FanWorkMode,
         [](core::Works& w) { w.FANmode = 2; },
         {{code::Plus, "Hi Perf"}, {code::Minus, "SSB"}, {code::Plus, "Hi Perf"}}},
        // The period never grows past the four digits it is sent and saved with.
        {"period",
         FreqPeriod,
         [](core::Works& w) { w.FreqPeriodTime = 20; },
         {{code::Minus, "10ms"}, {code::Minus, "10ms"}}},
        {"period top",
         FreqPeriod,
         [](core::Works& w) { w.FreqPeriodTime = 9980; },
         {{code::Plus, "9990ms"}, {code::Plus, "9990ms"}}},
        {"two-state side keys",
         PowersUnit,
         [](core::Works&) {},
         {{code::Left, "dBm"}, {code::Right, "Watt"}}},
        {"password not editable",
         RemotePassword,
         [](core::Works& w) { w.Passphrase.set("AB"); },
         {{code::Plus, "AB"}}},
        {"atu keeps enable",
         AtuInstalled,
         [](core::Works& w) { w.TUNEenabled = 1; },
         {{code::Plus, "No"}, {code::Plus, "Yes"}}},
    };
    for (const Case& c : cases) {
        TestStation fresh;
        core::Works& w = fresh.works;
        w.screenState = 2;
        c.start(w);
        w.menuIndex = c.item;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            ui::ModifyParameter(w, c.steps[i].first);
            EXPECT_EQ(ui::LoadParameterMenu(w, c.item, 0), c.steps[i].second) << c.name << ", step " << i;
        }
    }
}

TEST_F(SettingsMenu, AtuInstalledKeepsTheTuneEnableAndFitsTheFile) {
    works.TUNEenabled = 1;
    press(AtuInstalled, code::Plus);
    EXPECT_LT(works.TUNEenabled, 0);
    EXPECT_EQ(value(EnableTune), "ON");
    press(AtuInstalled, code::Enter);
    EXPECT_NE(setupFile().find("TUNEenabled: -1\n"), std::string::npos);
}

TEST_F(SettingsMenu, RepeatResults) {
    struct Case {
        int item, editCode, repeat;
    };
    const std::vector<Case> cases{
        {PeakReleaseTime, code::Plus, 1},
        {TargetSwr, code::Minus, 1},
        {RefLevel, code::Plus, 1},
        {RefPosition, code::Minus, 1},
        {PointDiv, code::Plus, 1},
        {PlotOffset, code::Plus, 1},
        {P1AlarmSetPoint, code::Plus, 1},
        {P2AlarmSetPoint, code::Minus, 1},
        {FreqPeriod, code::Plus, 1},
        {MaxBanks, code::Plus, 0},
        {LongPressTime, code::Plus, 0},
        {ScreensaverTimeout, code::Plus, 0},
        {Ip, code::Plus, 0},
        {RefLevel, code::Left, 0},
        {PointDiv, code::Enter, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(press(c.item, c.editCode), c.repeat) << ui::menuPar[c.item].label;
}

TEST_F(SettingsMenu, EnterAndOneSidedSideKeysSaveTheSetup) {
    struct Case {
        int item, editCode;
        std::function<void(core::Works&)> set;
        const char* line;
    };
    const std::vector<Case> cases{
        {MaxBanks, code::Enter, [](core::Works& w) { w.MAXbank = 7; }, "MAXbank: 7\n"},
        {TargetSwr, code::Enter, [](core::Works& w) { w.SWRescAutoTune = 1.25f; }, "SWRescAutoTune: 125\n"},
        {RefLevel, code::Right, [](core::Works& w) { w.plotRefLevel = -40; }, "RefLevelPlot: -40\n"},
        {LongPressTime, code::Left, [](core::Works& w) { w.TIME_LONG_PRESS = 0.7; },
         "BTN_longpress_Time: 7\n"},
        {FreqPeriod, code::Enter, [](core::Works& w) { w.FreqPeriodTime = 120; }, "FreqPeriodTime: 120\n"},
    };
    for (const Case& c : cases) {
        c.set(works);
        press(c.item, c.editCode);
        EXPECT_NE(setupFile().find(c.line), std::string::npos) << c.line;
    }
    EXPECT_TRUE(queued(core::cmd::FrequencySensor));
}

TEST_F(SettingsMenu, SideKeysOfOtherItemsNeitherStepNorSave) {
    works.SWRescAutoTune = 2.0f;
    press(TargetSwr, code::Right);
    EXPECT_EQ(value(TargetSwr), "2.00");
    EXPECT_TRUE(setupFile().empty());
}

TEST_F(SettingsMenu, FanModeEnterForcesTheFanCommand) {
    press(FanWorkMode, code::Plus);
    press(FanWorkMode, code::Enter);
    EXPECT_EQ(works.fanForce, 1);
    EXPECT_NE(setupFile().find("FANmode: 1\n"), std::string::npos);
}

TEST_F(SettingsMenu, FactoryDefaultOnlyWhenArmed) {
    works.MAXbank = 7;
    press(FactoryDefault, code::Enter);
    EXPECT_EQ(works.MAXbank, 7);
    EXPECT_TRUE(setupFile().empty());

    press(FactoryDefault, code::Plus);
    EXPECT_EQ(value(FactoryDefault), "Set Default");
    press(FactoryDefault, code::Enter);
    EXPECT_EQ(works.MAXbank, 3);
    EXPECT_NE(setupFile().find("MAXbank: 3\n"), std::string::npos);
    EXPECT_EQ(value(FactoryDefault), "No Default");
}

TEST_F(SettingsMenu, AdvancedDefaultOnlyWhenArmedThenReboots) {
    works.SaveScreenIdx = 1;
    press(AdvancedDefault, code::Enter);
    EXPECT_TRUE(station.actions().empty());
    EXPECT_EQ(works.SaveScreenIdx, 1);

    press(AdvancedDefault, code::Right);
    EXPECT_EQ(value(AdvancedDefault), "Set Default");
    press(AdvancedDefault, code::Enter);
    const std::vector<platform::SystemAction> actions = station.actions();
    ASSERT_FALSE(actions.empty());
    EXPECT_EQ(actions.back(), platform::SystemAction::Reboot);
    EXPECT_EQ(works.SaveScreenIdx, 4);
    EXPECT_EQ(works.AttenuatorTune, 3);
    EXPECT_EQ(works.shutdownState, 3);
    EXPECT_TRUE(queued(core::cmd::HoldMicro));
    EXPECT_NE(setupFile().find("SaveScreenIdx: 4\n"), std::string::npos);
}

TEST_F(SettingsMenu, TurnOffHardwareOnlyWhenSwitchedOn) {
    press(TurnOffHardware, code::Enter);
    EXPECT_EQ(works.tempflag_processextREMLOCOFF, 0);
    press(TurnOffHardware, code::Plus);
    press(TurnOffHardware, code::Enter);
    EXPECT_EQ(works.tempflag_processextREMLOCOFF, 133);
}

TEST_F(SettingsMenu, RemoteServiceStartsTheShellOnlyWhenOn) {
    press(RemoteService, code::Enter);
    EXPECT_TRUE(station.actions().empty());
    press(RemoteService, code::Plus);
    EXPECT_EQ(works.serviceFlags, core::serviceFlags::RemoteService);
    press(RemoteService, code::Enter);
    const std::vector<platform::SystemAction> actions = station.actions();
    EXPECT_NE(std::find(actions.begin(), actions.end(), platform::SystemAction::StartServiceShell),
              actions.end());
}

TEST_F(SettingsMenu, FirmwareUpdate) {
    press(FirmwareUpdate, code::Plus);
    EXPECT_EQ(works.serviceFlags, core::serviceFlags::FirmwareUpdateArmed);

    works.ampStatus = core::ampStatus::Transmitting;
    press(FirmwareUpdate, code::Enter);
    EXPECT_NE(works.panelFlags & core::panelFlags::Locked, 0);
    EXPECT_FALSE(queued(core::cmd::HoldMicro));

    works.ampStatus = 0;
    press(FirmwareUpdate, code::Enter);
    EXPECT_TRUE(queued(core::cmd::HoldMicro));
    EXPECT_NE(works.serviceFlags & core::serviceFlags::FirmwareUpdating, 0);
    EXPECT_EQ(works.screenState, 0);

    press(FirmwareUpdate, code::Minus);
    press(FirmwareUpdate, code::Enter);
    EXPECT_EQ(works.serviceFlags, 0);
}

TEST_F(SettingsMenu, SoftwareUpdateArmsTheMessage) {
    press(SoftwareUpdate, code::Plus);
    works.updateResult = 5;
    press(SoftwareUpdate, code::Enter);
    EXPECT_NE(works.panelFlags & core::panelFlags::UpdateMessage, 0);
    EXPECT_EQ(works.updateResult, 0);
    press(SoftwareUpdate, code::Minus);
    press(SoftwareUpdate, code::Enter);
    EXPECT_EQ(works.panelFlags & core::panelFlags::UpdateMessage, 0);
}

TEST_F(SettingsMenu, UpdateMessages) {
    struct Case {
        bool remoteService;
        int available, result;
        const char* expected;
    };
    const std::vector<Case> cases{
        {true, 0, 0, "Update UI in progress: Wait for reset (max 5 min)"},
        {true, 0, 3, "Update UI error 3 "},
        {false, 1, 0, "Update UI in progress: Wait for reset (max 5 min)"},
        {false, 1, 2, "Update UI error 2 "},
        {false, 2, 0, "UI update: please first update the FW version at 1.7"},
        {false, 0, 0, "UI is running last version"},
    };
    works.availFwMajor = 1;
    works.availFwMinor = 7;
    for (const Case& c : cases) {
        works.serviceFlags = c.remoteService ? core::serviceFlags::RemoteService : 0;
        works.updateAvailable = c.available;
        works.updateResult = c.result;
        EXPECT_EQ(ui::updateMessage(works), c.expected);
    }
}

// The remote prerequisites as a test sets them.
class RemoteChecks final : public core::Services {
  public:
    RemoteChecks(int found, int audio) : found_(found), audio_(audio) {}
    int findRemoteSettings(core::Works&) override { return found_; }
    int getAudioQOR(core::Works&) override { return audio_; }

  private:
    int found_, audio_;
};

TEST_F(SettingsMenu, UseModeTowardRemote) {
    struct Case {
        const char* name;
        int found, audio;
        char enaser, enableFft;
        std::vector<int> errors;
        bool remote;
    };
    const std::vector<Case> cases{
        {"no auxiliary link", 0, 1, '0', '0', {core::err::QorModeOff}, false},
        {"all present", 0, 1, '1', '0', {}, true},
        {"USB spectrum enabled", 0, 0, '0', '1', {}, true},
        {"CAT silent", 2, 1, '1', '0', {core::err::RemoteCat}, false},
        {"no transceiver, no audio",
         1,
         0,
         '0',
         '0',
         {core::err::RemoteUsb, core::err::AudioNotFound, core::err::QorModeOff},
         false},
        {"audio missing", 3, 0, '1', '0', {core::err::AudioRead, core::err::AudioNotFound}, false},
    };
    for (const Case& c : cases) {
        TestStation fresh;
        RemoteChecks checks(c.found, c.audio);
        core::Works& w = fresh.works;
        w.services = &checks;
        w.errorsHeld = 0;
        w.setup->enaser = c.enaser;
        w.setup->EnableFFT = c.enableFft;
        w.menuIndex = UseMode;
        ui::ModifyParameter(w, code::Plus);
        EXPECT_EQ(w.useModeRemote != 0, c.remote) << c.name;
        EXPECT_EQ(w.errors.codes(), c.errors) << c.name;
        EXPECT_EQ(w.remoteStopped, c.remote ? 0 : 1) << c.name;
    }
}

TEST_F(SettingsMenu, UseModeEnterTellsThePanel) {
    works.useModeRemote = 1;
    press(UseMode, code::Enter);
    EXPECT_EQ(works.tempflag_processextREMLOCOFF, 149);
    press(UseMode, code::Minus);
    EXPECT_EQ(value(UseMode), "Local");
    press(UseMode, code::Enter);
    EXPECT_EQ(works.tempflag_processextREMLOCOFF, 165);
    EXPECT_EQ(works.setup->EnableFFT, '0');
}

TEST_F(SettingsMenu, FilterItemOpensAndClosesThePage) {
    press(RxFilters, code::Plus);
    press(RxFilters, code::Enter);
    EXPECT_EQ(works.pageFlags, core::pageFlags::FilterSettings);
    EXPECT_EQ(works.imageName.get(), "statusB");
    EXPECT_EQ(works.redrawRequest, core::redraw::ImageName);
    press(RxFilters, code::Minus);
    press(RxFilters, code::Enter);
    EXPECT_EQ(works.pageFlags, 0);
    EXPECT_EQ(works.redrawRequest, core::redraw::WorkImage);
}

TEST_F(SettingsMenu, SelectionWrapsOverTheVisibleItems) {
    struct Case {
        bool service;
        int start, step, expected;
    };
    const std::vector<Case> cases{{false, 0, -1, 32}, {false, 32, 1, 0}, {true, 0, -1, 33},
                                  {true, 32, 1, 33},  {true, 33, 1, 0},  {false, 5, 1, 6}};
    for (const Case& c : cases) {
        works.serviceMode = c.service ? 1 : 0;
        works.menuIndex = c.start;
        ui::moveMenuSelection(works, c.step);
        EXPECT_EQ(works.menuIndex, c.expected) << c.start << " by " << c.step;
    }
    works.serviceMode = 0;
    EXPECT_EQ(ui::visibleMenuItems(works), 33);
    works.menuIndex = 20;
    EXPECT_TRUE(ui::selectedMenuItem(works).address);
}

TEST_F(SettingsMenu, AddressOctets) {
    works.CntIP = 3;
    works.IP_v[3] = 255;
    press(Ip, code::Plus);
    EXPECT_EQ(value(Ip), "0.0.0.0");
    press(Ip, code::Minus);
    EXPECT_EQ(value(Ip), "0.0.0.255");
    press(Ip, code::Right);
    EXPECT_EQ(works.CntIP, 0);
    press(Ip, code::Minus);
    EXPECT_EQ(value(Ip), "255.0.0.255");
    press(Ip, code::Left);
    EXPECT_EQ(works.CntIP, 3);
    works.CntDNS = 1;
    press(Dns, code::Plus);
    EXPECT_EQ(value(Dns), "0.1.0.0");
    EXPECT_EQ(value(Ip), "255.0.0.255");
}

}  // namespace

namespace {

using testing_support::makeFrame;
using testing_support::Pixel;
using testing_support::pixelAt;

TEST(SettingsMenuDrawing, MenuBandStatusBarAndFirmwarePage) {
    struct Case {
        const char* name;
        std::function<void(core::Works&)> set;
        int y;
        Pixel expected;
    };
    constexpr Pixel kDark{40, 40, 40}, kMid{80, 80, 80}, kNone{0, 0, 0}, kBox{200, 200, 200};
    const std::vector<Case> cases{
        {"list, upper rows", [](core::Works& w) { w.screenState = 1; }, 290, kDark},
        {"list, current row", [](core::Works& w) { w.screenState = 1; }, 320, kMid},
        {"editor, lower rows", [](core::Works& w) { w.screenState = 2; }, 350, kDark},
        {"above the band", [](core::Works& w) { w.screenState = 1; }, 284, kNone},
        {"shifted under the status page",
         [](core::Works& w) {
             w.screenState = 1;
             w.pageFlags = core::pageFlags::StatusPage;
         },
         370, kMid},
        {"main screen: status bar", [](core::Works&) {}, 278, kBox},
        {"firmware update hides the rest",
         [](core::Works& w) {
             w.screenState = 1;
             w.serviceFlags = core::serviceFlags::FirmwareUpdating;
         },
         320, kNone},
    };
    for (const Case& c : cases) {
        TestStation station;
        auto fb = makeFrame(800, 480, 4);
        station.works.fb = fb.get();
        c.set(station.works);
        ui::DrawParameters(station.works);
        // Right of every value text, which ends at x 790.
        EXPECT_EQ(pixelAt(*fb, 797, c.y), c.expected) << c.name;
    }
}

TEST(SettingsMenuDrawing, NothingWithoutADisplay) {
    TestStation station;
    station.works.screenState = 1;
    ui::DrawParameters(station.works);
}

}  // namespace
