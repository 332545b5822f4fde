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
        station.threads.setBody(core::ThreadId::Serial, [](core::Works& record) { radio::Serial(record); });
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
