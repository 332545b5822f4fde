#include "ui/key_dispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/status_bits.h"
#include "test_station.h"
#include "tuner/tune_word.h"
#include "ui/button_labels.h"

using testing_support::TestStation;

namespace {

namespace cmd = core::cmd;
constexpr int kShort = 0, kLong = 1;

class KeyDispatch : public ::testing::Test {
  protected:
    KeyDispatch() {
        works.MAXbank = 3;
        works.TUNEenabled = 1;
        works.ModeWorkIdx = 0;
        works.errorsHeld = 0;
        core::InitErrorDescriptors(works);
    }
    int press(int key, int held = kShort) { return ui::DecodeTasto(works, key, held); }
    std::vector<int32_t> commands() {
        std::vector<int32_t> codes = works.cmdRing.pending();
        works.cmdRing.clear();
        return codes;
    }
    std::string label(int button, int line) {
        return ui::currentButtonLabels(works).text[static_cast<size_t>(2 * (button - 1) + line - 1)];
    }

    TestStation station;
    core::Works& works = station.works;
};

TEST_F(KeyDispatch, AKeyThatWakesTheScreenDoesNothingElse) {
    works.screenSaverOn = 1;
    EXPECT_EQ(press(5), 0);
    EXPECT_EQ(works.screenSaverOn, 0);
    EXPECT_EQ(works.screenState, ui::screen::Main);
    press(5);
    EXPECT_EQ(works.screenState, ui::screen::MenuList);

    works.shutdownState = 1;  // powering off: every key is ignored
    press(1);
    EXPECT_EQ(works.screenState, ui::screen::MenuList);
}

TEST_F(KeyDispatch, BankAndAntennaAreLockedWhileTransmitting) {
    works.ampStatus = core::ampStatus::Transmitting;
    press(1);
    press(3);
    EXPECT_EQ(works.NumBanco, 0);
    EXPECT_EQ(works.NumAntenna, 0);
    EXPECT_NE(works.panelFlags & core::panelFlags::Locked, 0);
    EXPECT_TRUE(commands().empty());

    works.debugOverlay = 1;  // the service overlay lifts the antenna lock
    press(3);
    EXPECT_EQ(works.NumAntenna, 1);
    EXPECT_EQ(works.panelFlags & core::panelFlags::Locked, 0);  // each key takes the message down

    works.ampStatus = 0;
    press(1);
    EXPECT_EQ(works.NumBanco, 1);
    commands();
    press(3);
    press(3);
    EXPECT_EQ(works.NumAntenna, 0);  // wraps after the third antenna
    EXPECT_EQ(commands(), (std::vector<int32_t>{cmd::SelectAntenna, cmd::SelectAntenna}));
}

TEST_F(KeyDispatch, AttenuatorKeyCyclesThroughStandbyOnlyWhileReceiving) {
    struct Step {
        bool transmitting;
        uint8_t bypass;  // as the amplifier reports it
        uint8_t key;     // attenuatorKey after the press
        std::vector<int32_t> commands;
    };
    const Step steps[] = {
        {false, 0, 1, {cmd::Attenuator}},
        {false, 0, 2, {cmd::Attenuator}},
        {false, 0, 3, {cmd::Attenuator}},
        {false, 0, 4, {cmd::Bypass}},
        {false, 1, 0, {cmd::Attenuator, cmd::LeaveBypass}},
        {true, 0, 1, {cmd::Attenuator}},
        {true, 0, 2, {cmd::Attenuator}},
        {true, 0, 3, {cmd::Attenuator}},
        {true, 0, 0, {cmd::Attenuator}},
    };
    for (const Step& step : steps) {
        works.ampStatus = step.transmitting ? core::ampStatus::Transmitting : 0;
        works.bypass = step.bypass;
        press(2);
        EXPECT_EQ(works.attenuatorKey, step.key);
        EXPECT_EQ(commands(), step.commands) << "to key " << int{step.key};
    }
    EXPECT_EQ(label(2, 2), "  0dB");

    works.bypass = 1;  // in standby while transmitting the key is refused
    press(2);
    EXPECT_EQ(works.attenuatorKey, 0);
    EXPECT_TRUE(core::ExistError(works, core::err::NotAvailable));
    EXPECT_EQ(label(2, 2), "  StdBy");
}

TEST_F(KeyDispatch, ManualTuneStepsStopAtTheEndsAndRepeat) {
    works.screenState = ui::screen::TuneMenu;
    press(6);
    EXPECT_EQ(works.screenState, ui::screen::ManualTune);
    EXPECT_EQ(commands(), std::vector<int32_t>{cmd::TuneWordQuery});

    tuner::SetI(works, 510);
    tuner::SetC(works, 1);
    tuner::SetMode(works, tuner::kModeCL);
    EXPECT_EQ(press(3, kLong), 1);
    EXPECT_EQ(press(3, kLong), 1);
    EXPECT_EQ(press(4, kLong), 1);
    EXPECT_EQ(press(4, kLong), 1);
    EXPECT_EQ(tuner::DecodeInduttanzaFromTuneval(works.tuneValue), 511);
    EXPECT_EQ(tuner::DecodeCapacitaFromTuneval(works.tuneValue), 0);
    EXPECT_EQ(commands(), std::vector<int32_t>(4, cmd::TuneWord));
    EXPECT_EQ(label(3, 2), "     511");
    EXPECT_EQ(label(5, 2), "     0");
    EXPECT_EQ(label(1, 2), "CL");

    press(1, kLong);  // network CL -> LC -> by-pass -> CL
    EXPECT_EQ(label(1, 2), " LC");
    press(1, kLong);
    EXPECT_EQ(label(1, 2), "ByP");
    press(1, kLong);
    EXPECT_EQ(label(1, 2), "CL");

    EXPECT_EQ(label(6, 1), "STARTTX");
    press(6);
    EXPECT_EQ(label(6, 1), "StopTX");
    press(6);
    EXPECT_EQ(label(6, 1), "StartTX");
}

TEST_F(KeyDispatch, ViewKeyCyclesTheWindowsAndSavesTheChoice) {
    const int expected[] = {2, 3, 4, 5, 1};
    for (int window : expected) {
        press(6);
        EXPECT_EQ(works.mainWindow, window);
        EXPECT_EQ(works.redrawRequest, core::redraw::WorkImage);
        const auto setup = works.platform->files().read("/opt/set/setup.txt");
        ASSERT_TRUE(setup);
        EXPECT_NE(setup->find("ViewType: " + std::to_string(window)), std::string::npos) << *setup;
    }
    press(6, kLong);
    EXPECT_EQ(works.screenState, ui::screen::StatusPage);
    EXPECT_EQ(works.imageName.get(), "status");
    press(1);
    EXPECT_EQ(works.screenState, ui::screen::Main);
    EXPECT_EQ(works.pageFlags, 0);
}

TEST_F(KeyDispatch, BankResetPastTheLastBankDeletesEveryBanksFiles) {
    press(1, kLong);
    EXPECT_EQ(works.screenState, ui::screen::BankTable);
    press(5);
    press(3);
    EXPECT_EQ(works.screenState, ui::screen::BankReset);
    EXPECT_EQ(label(2, 2), "    0");
    for (int i = 0; i < 3; ++i) press(2);
    EXPECT_EQ(label(2, 2), "  ALL");
    const std::vector<std::string> files = {"antenna.txt", "atu_ant3.txt", "antenna_b1.txt",
                                            "atu_ant1_b2.txt", "antenna_b3.txt"};  // bank 3 is past MAXbank
    for (const std::string& name : files)
        ASSERT_TRUE(works.platform->files().save("/opt/set/" + name, "x\n"));
    press(6);
    for (const std::string& name : files)
        EXPECT_EQ(works.platform->files().read("/opt/set/" + name).has_value(), name == "antenna_b3.txt")
            << name;
    EXPECT_EQ(works.screenState, ui::screen::BankTable);
}

TEST_F(KeyDispatch, BankCopyMakesTheDestinationLoadLikeTheOrigin) {
    auto& files = works.platform->files();
    ASSERT_TRUE(files.save("/opt/set/antenna_b1.txt", "!817\n20m 14000000 14350000 1 2 0 1 2.5\n"));
    ASSERT_TRUE(files.save("/opt/set/atu_ant1_b1.txt", "tune\n"));
    ASSERT_TRUE(files.save("/opt/set/atu_ant2_b2.txt", "old\n"));
    press(1, kLong);
    press(5);
    press(2);  // origin: the bank in use, 0
    press(2);
    press(3);
    press(3);
    EXPECT_EQ(label(2, 2), "    1");
    EXPECT_EQ(label(3, 2), "    2");
    press(6);
    EXPECT_EQ(files.read("/opt/set/antenna_b2.txt"), files.read("/opt/set/antenna_b1.txt"));
    EXPECT_EQ(files.read("/opt/set/atu_ant1_b2.txt"), "tune\n");
    EXPECT_FALSE(files.read("/opt/set/atu_ant2_b2.txt"));
    EXPECT_EQ(works.screenState, ui::screen::BankTable);
}

TEST_F(KeyDispatch, BandTableCellsStayWithinTheirRanges) {
    station.antennaRows()[0] = {"160m", 1800000, 2000000, 1, 3, 0, 3, 4.9f};
    works.antennaRowCount = 1;
    press(1, kLong);
    press(6);
    ASSERT_EQ(works.screenState, ui::screen::BankCellEdit);
    for (int i = 0; i < 3; ++i) press(5);  // input power +0.1 W up to 5.0 W
    press(3);
    press(5);  // attenuator past 3 becomes 0
    press(3);
    press(5);  // amplifier toggled off
    press(3);
    press(5);  // antenna past 3 becomes 1
    press(3);
    press(4);  // ATU toggled
    const core::AntennaRow& row = station.antennaRows()[0];
    EXPECT_FLOAT_EQ(row.drivePower, 5.0f);
    EXPECT_EQ(row.attenuator, 0);
    EXPECT_EQ(row.ampOn, 0);
    EXPECT_EQ(row.antenna, 1);
    EXPECT_EQ(row.tunerBypass, 1);
    press(3);
    EXPECT_EQ(works.bankTableColumn, 0);  // wraps after the fifth column
    press(6);
    EXPECT_NE(works.platform->files().read("/opt/set/antenna.txt")->find("160m 1800000 2000000 0 1 1 0 5.0"),
              std::string::npos);
}

TEST_F(KeyDispatch, TunerBypassKeyStoresTheNewStateInTheBank) {
    station.antennaRows()[0] = {"20m", 14000000, 14350000, 1, 1, 0, 0, 0};
    works.antennaRowCount = 1;
    works.frequency = 14100000;
    works.screenState = ui::screen::TuneMenu;
    press(4);
    EXPECT_EQ(works.tunerBypass, 1);
    EXPECT_EQ(commands(), std::vector<int32_t>{cmd::TunerBypassKeep});
    EXPECT_EQ(station.antennaRows()[0].tunerBypass, 1);
    EXPECT_EQ(label(4, 2), "   ByP");

    press(2);  // no search with the tuner by-passed
    EXPECT_NE(works.panelFlags & core::panelFlags::BypassActive, 0);
    press(1);
    EXPECT_EQ(works.panelFlags & core::panelFlags::BypassActive, 0);
    EXPECT_EQ(works.screenState, ui::screen::Main);

    works.TUNEenabled = 0;
    works.screenState = ui::screen::TuneMenu;
    press(4);
    EXPECT_EQ(works.tunerBypass, 1);
    EXPECT_NE(works.panelFlags & core::panelFlags::TuneDisabled, 0);
}

}  // namespace
