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
using namespace ui::editCode;
using W = core::Works;
// Sets a station up for one case of a table.
using Set = std::function<void(W&)>;

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
        Set set;
        const char* expected;
    };
    const std::vector<Case> cases{
        {MaxBanks, [](W& w) { w.MAXbank = 7; }, "7"},
        {RxFilters,
         [](W& w) {
             w.menuIndex = RxFilters;
             w.filterModify = 1;
         },
         "Modify"},
        {RxFilters, [](W& w) { w.menuIndex = RxFilters; }, "Exit"},
        {RxFilters,
         [](W& w) {
             w.menuIndex = RxFilters;
             w.screenState = 1;
         },
         ""},
        // The row under the first item while that item is edited.
        {RxFilters, [](W& w) { w.menuIndex = MaxBanks; }, ""},
        {UseMode, [](W& w) { w.useModeRemote = 1; }, "Remote"},
        {RemotePassword, [](W& w) { w.Passphrase.set("Aq1Zz9"); }, "Aq1Zz9"},
        {RemotePassword, [](W& w) { w.Passphrase.set(""); }, "not set"},
        {LongPressTime, [](W& w) { w.TIME_LONG_PRESS = 1.2; }, "1.2sec"},
        {ScreensaverTimeout, [](W& w) { w.SaveScreenIdx = 5; }, "1min"},
        {PeakActivation, [](W& w) { w.EnablePwrPeak = 1; }, "ON"},
        {PeakReleaseTime, [](W& w) { w.TimerPeakSec = 3000; }, "3000ms"},
        {EnableTune, [](W& w) { w.TUNEenabled = -1; }, "ON"},
        {ForceAttenuator, [](W& w) { w.AttenuatorTune = 3; }, "5dB"},
        {TargetSwr, [](W& w) { w.SWRescAutoTune = 1.5f; }, "1.50"},
        {AutoTuneTimeout, [](W& w) { w.AutoTuneMaxCicli = 4; }, "5sec"},
        {AtuInstalled, [](W& w) { w.TUNEenabled = -2; }, "No"},
        {PowersUnit, [](W& w) { w.PowerUnits = 1; }, "dBm"},
        {TemperaturesUnit, [](W& w) { w.TempMode = 1; }, "Fahrenheit"},
        {ViewOnTx, [](W& w) { w.viewTx = 3; }, "View 3"},
        {ViewOnTx, [](W& w) { w.viewTx = 0; }, "Off"},
        {RefLevel, [](W& w) { w.plotRefLevel = -30; }, "-30dBm"},
        {PlotOffset, [](W& w) { w.plotOffset = -1.5; }, "-1.50dBm"},
        {Gateway, [](W& w) { w.Gateway_v[0] = 192, w.Gateway_v[1] = 168, w.Gateway_v[3] = 1; },
         "192.168.0.1"},
        {P2AlarmSetPoint, [](W& w) { w.MaxTemperature2 = 65.5f; }, "65.50°C"},
        {FanWorkMode, [](W& w) { w.FANmode = 2; }, "DIG"},
        {FreqPeriod, [](W& w) { w.FreqPeriodTime = 10; }, "10ms"},
        {FactoryDefault, [](W& w) { w.factoryDefaultArmed = 1; }, "Set Default"},
        {SoftwareUpdate, [](W& w) { w.serviceFlags = core::serviceFlags::SoftwareUpdateArmed; }, "ON"},
        {FirmwareUpdate, [](W& w) { w.serviceFlags = core::serviceFlags::SoftwareUpdateArmed; }, "OFF"},
        {AdvancedDefault, [](W&) {}, "No Default"},
    };
    for (const Case& c : cases) {
        TestStation fresh;
        fresh.works.screenState = 2;
        c.set(fresh.works);
        EXPECT_EQ(ui::LoadParameterMenu(fresh.works, c.item, 0), c.expected) << ui::menuPar[c.item].label;
    }
}

// Each step is a key (+ - < >) and the value text after it.
TEST_F(SettingsMenu, EditRules) {
    struct Case {
        const char* name;
        int item;
        Set start;
        std::vector<std::string> steps;
    };
    const std::vector<Case> cases{
        {"point div up", PointDiv, [](W& w) { w.plotPointDiv = 1; }, {"+2", "+5", "+10", "+20", "+20"}},
        {"point div down", PointDiv, [](W& w) { w.plotPointDiv = 20; }, {"-10", "-5", "-2", "-1", "-1"}},
        {"target swr off and on",
         TargetSwr,
         [](W& w) { w.SWRescAutoTune = 1.01f; },
         {"-1.00", "-0.00", "-0.00", "+1.00"}},
        {"target swr at most 10", TargetSwr, [](W& w) { w.SWRescAutoTune = 9.99f; }, {"+10.00", "+10.00"}},
        {"banks low", MaxBanks, [](W& w) { w.MAXbank = 3; }, {"-2", "-2", "+3"}},
        {"banks high", MaxBanks, [](W& w) { w.MAXbank = 19; }, {"+20", "+20"}},
        {"saver wraps", ScreensaverTimeout, [](W& w) { w.SaveScreenIdx = 4; }, {"+1min", "+5min", "-1min"}},
        {"tune timeout", AutoTuneTimeout, [](W& w) { w.AutoTuneMaxCicli = 3; }, {"-5sec", "-5sec", "+10sec"}},
        {"tune timeout top", AutoTuneTimeout, [](W& w) { w.AutoTuneMaxCicli = 0; }, {"+25sec", "-20sec"}},
        {"long press low",
         LongPressTime,
         [](W& w) { w.TIME_LONG_PRESS = 0.4; },
         {"-0.3sec", "-0.3sec", "+0.4sec"}},
        {"long press high", LongPressTime, [](W& w) { w.TIME_LONG_PRESS = 4.9; }, {"+5.0sec", "+5.0sec"}},
        {"release", PeakReleaseTime, [](W& w) { w.TimerPeakSec = 4990; }, {"+5000ms", "+5000ms", "-4990ms"}},
        {"attenuator", ForceAttenuator, [](W& w) { w.AttenuatorTune = 0; }, {"+2dB", "-3dB", ">5dB", "<0dB"}},
        {"view on tx", ViewOnTx, [](W& w) { w.viewTx = 5; }, {"+View 5", "-View 4"}},
        {"ref level", RefLevel, [](W& w) { w.plotRefLevel = 95; }, {"+100dBm", "+100dBm", "-90dBm"}},
        {"offset", PlotOffset, [](W& w) { w.plotOffset = 199.9; }, {"+200.00dBm", "+200.00dBm"}},
        {"alarm max",
         P1AlarmSetPoint,
         [](W& w) { w.MaxTemperature = 74.9f; },
         {"+75.00°C", "+75.00°C", "-74.90°C"}},
        {"fan mode", FanWorkMode, [](W& w) { w.FANmode = 2; }, {"+Hi Perf", "-SSB", "+Hi Perf"}},
        // The period never grows past the four digits it is sent and saved with.
        {"period", FreqPeriod, [](W& w) { w.FreqPeriodTime = 20; }, {"-10ms", "-10ms"}},
        {"period top", FreqPeriod, [](W& w) { w.FreqPeriodTime = 9980; }, {"+9990ms", "+9990ms"}},
        {"two-state side keys", PowersUnit, [](W&) {}, {"<dBm", ">Watt"}},
        {"password not editable", RemotePassword, [](W& w) { w.Passphrase.set("AB"); }, {"+AB"}},
        {"atu keeps enable", AtuInstalled, [](W& w) { w.TUNEenabled = 1; }, {"+No", "+Yes"}},
    };
    const std::string keys = "-+<>";  // in the order of the edit codes from Minus
    for (const Case& c : cases) {
        TestStation fresh;
        core::Works& w = fresh.works;
        w.screenState = 2;
        c.start(w);
        w.menuIndex = c.item;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            ui::ModifyParameter(w, Minus + static_cast<int>(keys.find(c.steps[i][0])));
            EXPECT_EQ(ui::LoadParameterMenu(w, c.item, 0), c.steps[i].substr(1)) << c.name << ", step " << i;
        }
    }
}

TEST_F(SettingsMenu, AtuInstalledKeepsTheTuneEnableAndFitsTheFile) {
    works.TUNEenabled = 1;
    press(AtuInstalled, Plus);
    EXPECT_LT(works.TUNEenabled, 0);
    EXPECT_EQ(value(EnableTune), "ON");
    press(AtuInstalled, Enter);
    EXPECT_NE(setupFile().find("TUNEenabled: -1\n"), std::string::npos);
}

// Whether a held key steps the item on.
TEST_F(SettingsMenu, RepeatResults) {
    for (int item : {PeakReleaseTime, RefLevel, PointDiv, PlotOffset, P1AlarmSetPoint, FreqPeriod})
        EXPECT_EQ(press(item, Plus), 1) << ui::menuPar[item].label;
    for (int item : {TargetSwr, RefPosition, P2AlarmSetPoint})
        EXPECT_EQ(press(item, Minus), 1) << ui::menuPar[item].label;
    for (int item : {MaxBanks, LongPressTime, ScreensaverTimeout, Ip})
        EXPECT_EQ(press(item, Plus), 0) << ui::menuPar[item].label;
    EXPECT_EQ(press(RefLevel, Left), 0);
    EXPECT_EQ(press(PointDiv, Enter), 0);
}

// The side keys of other items neither step nor save.
TEST_F(SettingsMenu, EnterAndOneSidedSideKeysSaveTheSetup) {
    works.SWRescAutoTune = 2.0f;
    press(TargetSwr, Right);
    EXPECT_EQ(value(TargetSwr), "2.00");
    EXPECT_TRUE(setupFile().empty());
    struct Case {
        int item, editCode;
        Set set;
        const char* line;
    };
    const std::vector<Case> cases{
        {MaxBanks, Enter, [](W& w) { w.MAXbank = 7; }, "MAXbank: 7\n"},
        {TargetSwr, Enter, [](W& w) { w.SWRescAutoTune = 1.25f; }, "SWRescAutoTune: 125\n"},
        {RefLevel, Right, [](W& w) { w.plotRefLevel = -40; }, "RefLevelPlot: -40\n"},
        {LongPressTime, Left, [](W& w) { w.TIME_LONG_PRESS = 0.7; }, "BTN_longpress_Time: 7\n"},
        {FreqPeriod, Enter, [](W& w) { w.FreqPeriodTime = 120; }, "FreqPeriodTime: 120\n"},
    };
    for (const Case& c : cases) {
        c.set(works);
        press(c.item, c.editCode);
        EXPECT_NE(setupFile().find(c.line), std::string::npos) << c.line;
    }
    EXPECT_TRUE(queued(core::cmd::FrequencySensor));
}

TEST_F(SettingsMenu, FanModeEnterForcesTheFanCommand) {
    press(FanWorkMode, Plus);
    press(FanWorkMode, Enter);
    EXPECT_EQ(works.fanForce, 1);
    EXPECT_NE(setupFile().find("FANmode: 1\n"), std::string::npos);
}

TEST_F(SettingsMenu, FactoryDefaultOnlyWhenArmed) {
    works.MAXbank = 7;
    press(FactoryDefault, Enter);
    EXPECT_EQ(works.MAXbank, 7);
    EXPECT_TRUE(setupFile().empty());

    press(FactoryDefault, Plus);
    EXPECT_EQ(value(FactoryDefault), "Set Default");
    press(FactoryDefault, Enter);
    EXPECT_EQ(works.MAXbank, 3);
    EXPECT_NE(setupFile().find("MAXbank: 3\n"), std::string::npos);
    EXPECT_EQ(value(FactoryDefault), "No Default");
}

TEST_F(SettingsMenu, AdvancedDefaultOnlyWhenArmedThenReboots) {
    works.SaveScreenIdx = 1;
    press(AdvancedDefault, Enter);
    EXPECT_TRUE(station.actions().empty());
    EXPECT_EQ(works.SaveScreenIdx, 1);

    press(AdvancedDefault, Right);
    EXPECT_EQ(value(AdvancedDefault), "Set Default");
    press(AdvancedDefault, Enter);
    const std::vector<platform::SystemAction> actions = station.actions();
    ASSERT_FALSE(actions.empty());
    EXPECT_EQ(actions.back(), platform::SystemAction::Reboot);
    EXPECT_EQ(works.SaveScreenIdx, 4);
    EXPECT_EQ(works.AttenuatorTune, 3);
    EXPECT_EQ(works.shutdownState, 3);
    EXPECT_TRUE(queued(core::cmd::HoldMicro));
    EXPECT_NE(setupFile().find("SaveScreenIdx: 4\n"), std::string::npos);
}

TEST_F(SettingsMenu, TurnOffHardwareAndRemoteServiceActOnlyWhenSwitchedOn) {
    press(TurnOffHardware, Enter);
    EXPECT_EQ(works.tempflag_processextREMLOCOFF, 0);
    press(TurnOffHardware, Plus);
    press(TurnOffHardware, Enter);
    EXPECT_EQ(works.tempflag_processextREMLOCOFF, 133);
    press(RemoteService, Enter);
    EXPECT_TRUE(station.actions().empty());
    press(RemoteService, Plus);
    EXPECT_EQ(works.serviceFlags, core::serviceFlags::RemoteService);
    press(RemoteService, Enter);
    const std::vector<platform::SystemAction> actions = station.actions();
    EXPECT_NE(std::find(actions.begin(), actions.end(), platform::SystemAction::StartServiceShell),
              actions.end());
}

TEST_F(SettingsMenu, FirmwareUpdate) {
    press(FirmwareUpdate, Plus);
    EXPECT_EQ(works.serviceFlags, core::serviceFlags::FirmwareUpdateArmed);

    works.ampStatus = core::ampStatus::Transmitting;
    press(FirmwareUpdate, Enter);
    EXPECT_NE(works.panelFlags & core::panelFlags::Locked, 0);
    EXPECT_FALSE(queued(core::cmd::HoldMicro));

    works.ampStatus = 0;
    press(FirmwareUpdate, Enter);
    EXPECT_TRUE(queued(core::cmd::HoldMicro));
    EXPECT_NE(works.serviceFlags & core::serviceFlags::FirmwareUpdating, 0);
    EXPECT_EQ(works.screenState, 0);

    press(FirmwareUpdate, Minus);
    press(FirmwareUpdate, Enter);
    EXPECT_EQ(works.serviceFlags, 0);
}

TEST_F(SettingsMenu, SoftwareUpdateArmsTheMessage) {
    press(SoftwareUpdate, Plus);
    works.updateResult = 5;
    press(SoftwareUpdate, Enter);
    EXPECT_NE(works.panelFlags & core::panelFlags::UpdateMessage, 0);
    EXPECT_EQ(works.updateResult, 0);
    press(SoftwareUpdate, Minus);
    press(SoftwareUpdate, Enter);
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
    namespace err = core::err;
    struct Case {
        const char* name;
        int found, audio;
        char enaser, enableFft;
        std::vector<int> errors;
        bool remote;
    };
    const std::vector<Case> cases{
        {"no auxiliary link", 0, 1, '0', '0', {err::QorModeOff}, false},
        {"all present", 0, 1, '1', '0', {}, true},
        {"USB spectrum enabled", 0, 0, '0', '1', {}, true},
        {"CAT silent", 2, 1, '1', '0', {err::RemoteCat}, false},
        {"no radio, no audio", 1, 0, '0', '0', {err::RemoteUsb, err::AudioNotFound, err::QorModeOff}, false},
        {"audio missing", 3, 0, '1', '0', {err::AudioRead, err::AudioNotFound}, false},
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
        ui::ModifyParameter(w, Plus);
        EXPECT_EQ(w.useModeRemote != 0, c.remote) << c.name;
        EXPECT_EQ(w.errors.codes(), c.errors) << c.name;
        EXPECT_EQ(w.remoteStopped, c.remote ? 0 : 1) << c.name;
    }
}

TEST_F(SettingsMenu, UseModeEnterTellsThePanel) {
    works.useModeRemote = 1;
    press(UseMode, Enter);
    EXPECT_EQ(works.tempflag_processextREMLOCOFF, 149);
    press(UseMode, Minus);
    EXPECT_EQ(value(UseMode), "Local");
    press(UseMode, Enter);
    EXPECT_EQ(works.tempflag_processextREMLOCOFF, 165);
    EXPECT_EQ(works.setup->EnableFFT, '0');
}

TEST_F(SettingsMenu, FilterItemOpensAndClosesThePage) {
    press(RxFilters, Plus);
    press(RxFilters, Enter);
    EXPECT_EQ(works.pageFlags, core::pageFlags::FilterSettings);
    EXPECT_EQ(works.imageName.get(), "statusB");
    EXPECT_EQ(works.redrawRequest, core::redraw::ImageName);
    press(RxFilters, Minus);
    press(RxFilters, Enter);
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
    press(Ip, Plus);
    EXPECT_EQ(value(Ip), "0.0.0.0");
    press(Ip, Minus);
    EXPECT_EQ(value(Ip), "0.0.0.255");
    press(Ip, Right);
    EXPECT_EQ(works.CntIP, 0);
    press(Ip, Minus);
    EXPECT_EQ(value(Ip), "255.0.0.255");
    press(Ip, Left);
    EXPECT_EQ(works.CntIP, 3);
    works.CntDNS = 1;
    press(Dns, Plus);
    EXPECT_EQ(value(Dns), "0.1.0.0");
    EXPECT_EQ(value(Ip), "255.0.0.255");
}

using testing_support::makeFrame;
using testing_support::Pixel;
using testing_support::pixelAt;

TEST(SettingsMenuDrawing, MenuBandStatusBarAndFirmwarePage) {
    struct Case {
        const char* name;
        Set set;
        int y;
        Pixel expected;
    };
    constexpr Pixel kDark{40, 40, 40}, kMid{80, 80, 80}, kNone{0, 0, 0}, kBox{200, 200, 200};
    const std::vector<Case> cases{
        {"list, upper rows", [](W& w) { w.screenState = 1; }, 290, kDark},
        {"list, current row", [](W& w) { w.screenState = 1; }, 320, kMid},
        {"editor, lower rows", [](W& w) { w.screenState = 2; }, 350, kDark},
        {"above the band", [](W& w) { w.screenState = 1; }, 284, kNone},
        {"shifted under the status page",
         [](W& w) {
             w.screenState = 1;
             w.pageFlags = core::pageFlags::StatusPage;
         },
         370, kMid},
        {"main screen: status bar", [](W&) {}, 278, kBox},
        {"firmware update hides the rest",
         [](W& w) {
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
