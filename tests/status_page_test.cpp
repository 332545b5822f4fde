#include "net/status_page.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "config/setup_file.h"
#include "config/version_text.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "net/update_runner.h"
#include "platform/sim/scaled_clock.h"
#include "radio/aux_serial.h"
#include "test_frame.h"
#include "test_station.h"
#include "ui/fonts.h"
#include "ui/settings_menu_actions.h"
#include "ui/text.h"

namespace {

using platform::SystemAction;
using testing_support::TestStation;

TEST(StatusPage, VersionTextsSplitAtTheirFirstDot) {
    struct Case {
        const char* text;
        size_t window;
        config::Version version;
    } cases[] = {
        {"2.15", 20, {2, 15}}, {"001.010", 20, {1, 10}},
        {"7", 20, {7, 0}},                                     // no dot: the whole text is the major
        {"", 20, {0, 0}},      {"1234567.8", 6, {123456, 0}},  // the dot lies beyond the window
    };
    for (const Case& c : cases) EXPECT_EQ(config::versionOf(c.text, c.window), c.version) << c.text;
}

TEST(StatusPage, ScriptOutputGivesItsVerdict) {
    struct Case {
        const char* output;
        int result;
        const char* errorText;
    } cases[] = {
        {"fetching\nbad package\nQELTE ERR 17\n", 17, "bad package"},
        {"step\nQELTE ERR 17\nretry\nALLOK\n", 0, "step"},
        {"nothing to say\n", -1, ""},
        {"why\nQELTE\n", -1, "why"},  // a failure line without its code
    };
    for (const Case& c : cases) {
        const config::ScriptVerdict verdict = config::scriptVerdictOf(c.output);
        EXPECT_EQ(verdict.result, c.result) << c.output;
        EXPECT_EQ(verdict.errorText, c.errorText) << c.output;
    }
}

class StatusRows : public ::testing::Test {
  protected:
    StatusRows() {
        works.setup->enaser = '1';
        works.Passphrase.set("Secret7");
    }
    [[nodiscard]] std::string row(int y) {
        for (const net::StatusRow& entry : net::statusRows(works, transceiver))
            if (entry.y == y) return entry.value;
        return "(none)";
    }

    TestStation station;
    core::Works& works = station.works;
    core::QorParams transceiver{};
};

TEST_F(StatusRows, FrequencyShowsTheWorkingFrequencyAndTheTransceiversOwn) {
    works.frequency = 14200000;
    works.ampFrequency = 14199000;
    transceiver[core::qorWord::ActiveFrequency] = 14200500;
    EXPECT_EQ(row(176), "14200000Hz(14200500)");
    works.setup->enaser = '0';
    EXPECT_EQ(row(176), "14199000Hz(14200500)");
}

TEST_F(StatusRows, FahrenheitShowsEveryTemperatureAndTheSetPointInFahrenheit) {
    works.currentRaw = 2048;
    works.temperature1 = 40;
    works.temperature2 = 100;
    works.cpuTemp = 0;
    works.cpuTemp2 = 50;
    works.MaxTemperature = 70;
    works.fanSpeedActive = 35;
    works.TempMode = 1;
    EXPECT_EQ(row(198), "Current:007.0A (2048.0), Tbrd:104.00°F, Thsk:212.00°F");
    EXPECT_EQ(row(220), "CPU:32.0°F, GPU:122.0°F");
    EXPECT_EQ(row(242), "Set Point Alarm 158.0°F, FAN: 35%");
    works.TempMode = 0;
    EXPECT_EQ(row(198), "Current:007.0A (2048.0), Tbrd:40.00°C, Thsk:100.00°C");
}

TEST_F(StatusRows, VersionsIdentityLinkAndPassPhraseRows) {
    works.swVersion.set("2.15");
    works.fwVersion.set("001.010");
    works.hwVersion.set("3");
    EXPECT_EQ(row(110), "SW ver. 2.15, FW ver. 1.10, HW ver. 3.0");
    EXPECT_EQ(row(330), "EXT IO connected");
    works.errorsHeld = 0;
    core::AddErrore(works, core::err::QorLink);
    EXPECT_EQ(row(330), "No EXT IO data");
    EXPECT_EQ(row(374), "(none)");
    works.Passphrase.set("");
    EXPECT_EQ(row(374), "Pass phrase not set: remote access closed");
}

// The identity texts come from the amplifier's memory, up to 31 characters
// each. Drawn, the page leaves the label column to the labels and no value
// runs past the right edge (where it would wrap onto the next pixel row);
// the company name gives way first, so that the serial number, region and
// power class stay whole.
TEST_F(StatusRows, LongIdentityTextsStayOnTheirRow) {
    struct Case {
        std::string serial, company;
        char model;
        std::string start, end;
    };
    const Case cases[] = {
        {"EMU060-000001", "Station simulator", '0', "EMU060-000001 (Station", "), TYPE: EU, MAXPOWER: 60W"},
        {"BR0042", "BRISEL", '1', "BR0042 (BRISEL), TYPE: EU, MAXPOWER: 120W", ""},
        {std::string(31, 'W'), std::string(31, 'M'), '1', std::string(20, 'W'), ""},
    };
    constexpr int kValueX = 180, kSlot = 8;
    ui::loadFonts(works);
    works.pageFlags = core::pageFlags::StatusPage;
    works.TempMode = 1;
    works.temperature1 = works.temperature2 = 100;
    works.currentRaw = 4095;
    for (const Case& c : cases) {
        works.serialNumber.set(c.serial);
        works.companyName.set(c.company);
        works.ampModelFlag = c.model;
        const std::string identity = row(132);
        EXPECT_EQ(identity.substr(0, c.start.size()), c.start);
        EXPECT_LE(c.end.size(), identity.size());
        EXPECT_EQ(identity.substr(identity.size() - std::min(identity.size(), c.end.size())), c.end);

        const auto page = testing_support::makeFrame(800, 480, 4);
        const auto labelsAlone = testing_support::makeFrame(800, 480, 4);
        works.fb = page.get();
        net::ViewStatusInfo(works, transceiver);
        works.fb = nullptr;
        for (const net::StatusRow& entry : net::statusRows(works, transceiver)) {
            EXPECT_LE(kValueX + ui::getStringSpace(kSlot, entry.value.c_str()), 800) << entry.value;
            ui::putString(kSlot, 5, entry.y, entry.label, 255, 255, 255, labelsAlone.get());
        }
        int strayPixels = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < kValueX; ++x)
                if (testing_support::pixelAt(*page, x, y) != testing_support::pixelAt(*labelsAlone, x, y))
                    ++strayPixels;
        EXPECT_EQ(strayPixels, 0) << identity;
    }
}

TEST(StatusPage, OnAUnitWithoutTheMakersTransceiverItRaisesNoAlarmForTheMissingPort) {
    struct Case {
        int32_t interfaceType;
        bool alarm;
    } cases[] = {{0, false}, {2, false}, {1, true}};  // generic, FT-817, the maker's transceiver
    for (const Case& c : cases) {
        TestStation station(std::make_unique<platform::ScaledClock>(1.0));  // the link's thread runs
        core::Works& works = station.works;
        config::resetSetupRecord(*works.setup);
        core::InitErrorDescriptors(works);
        works.errorsHeld = 0;
        works.running = 1;
        const std::unique_ptr<ui::FrameBuffer> fb = testing_support::makeFrame(800, 480, 4);
        works.fb = fb.get();
        station.threads.setBody(core::ThreadId::Serial, radio::Serial);
        works.ModeWorkIdx = c.interfaceType;
        works.setup->enaser = '0';
        works.pageFlags = core::pageFlags::StatusPage;
        net::ViewStatusInfo(works, {});
        station.threads.join(core::ThreadId::Serial);  // no device: it ends at once
        EXPECT_EQ(core::ExistError(works, core::err::QorPortOpen) != 0, c.alarm) << c.interfaceType;
        EXPECT_TRUE(station.log.contains("Unable to open device /dev/QELTSER")) << c.interfaceType;
    }
}

class UpdateRun : public ::testing::Test {
  protected:
    void script(const char* path, const std::string& output) {
        const std::filesystem::path file = station.path(path);
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << "#!/bin/sh\nprintf '" << output << "'\n";
        ::chmod(file.c_str(), 0755);
    }
    [[nodiscard]] bool rebooted() const {
        const std::vector<SystemAction> actions = station.actions();
        return std::find(actions.begin(), actions.end(), SystemAction::Reboot) != actions.end();
    }

    TestStation station;
    core::Works& works = station.works;
};

TEST_F(UpdateRun, ScriptsRunFromTheRunRootOnly) {
    EXPECT_EQ(net::ReadSystemGetpack(works), -1);
    EXPECT_TRUE(station.log.contains("can't start /opt/Brisel/getpack.sh"));
    script(net::kGetpackScript, "download\\nQELTE ERR 42\\n");
    script(net::kGetpackServiceScript, "ALLOK\\n");
    EXPECT_EQ(net::ReadSystemGetpack(works), 42);
    EXPECT_EQ(works.updateErrorText.get(), "download");
    EXPECT_EQ(net::ReadSystemGetpack2(works), 0);
}

TEST_F(UpdateRun, ConfirmedUpdateRebootsOnlyAfterSuccess) {
    works.serviceFlags = core::serviceFlags::SoftwareUpdateArmed;
    works.updateAvailable = 1;
    ui::confirmSoftwareUpdate(works);  // the script cannot start
    EXPECT_EQ(works.updateResult, -1);
    EXPECT_FALSE(rebooted());

    script(net::kGetpackScript, "ALLOK\\n");
    ui::confirmSoftwareUpdate(works);
    EXPECT_EQ(works.updateResult, 0);
    EXPECT_TRUE(rebooted());
}

TEST_F(UpdateRun, NothingRunsWithoutANewerVersionOutsideServiceMode) {
    script(net::kGetpackScript, "ALLOK\\n");
    works.serviceFlags = core::serviceFlags::SoftwareUpdateArmed;
    works.updateAvailable = 2;
    ui::confirmSoftwareUpdate(works);
    EXPECT_FALSE(rebooted());
    EXPECT_TRUE((works.panelFlags & core::panelFlags::UpdateMessage) != 0);
}

}  // namespace
