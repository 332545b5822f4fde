// The sample files a new simulated unit starts with (sim/station/): the
// unit as it leaves the factory after a complete reset.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "amp/command_text.h"
#include "config/setup.h"
#include "core/amp_commands.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "test_station.h"
#include "tuner/factory_default.h"
#include "ui/key_dispatch.h"

using testing_support::TestStation;

namespace {

std::string sampleFile(const std::string& name) {
    std::ifstream file(std::string(BRISEL_SOURCE_DIR) + "/sim/station/" + name);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The text with the value of one key replaced.
std::string withValue(std::string text, const std::string& key, const std::string& value) {
    const std::size_t start = ("\n" + text).find("\n" + key + ": ");
    if (start == std::string::npos) return text;
    const std::size_t valueStart = start + key.size() + 2;
    return text.replace(valueStart, text.find('\n', valueStart) - valueStart, value);
}

TEST(SampleUnit, SetupIsTheFileACompleteResetWrites) {
    TestStation station;
    core::Works& works = station.works;
    core::InitErrorDescriptors(works);
    config::initSetup(works);
    tuner::InitCompleteVar(works);
    tuner::InitVar_Default(works);
    std::string reset = works.platform->files().read(config::kSetupPath).value_or("");
    ASSERT_FALSE(reset.empty());

    // A new run root gets a pass phrase of its own, and tuning stays enabled
    // (the tune menu's by-pass and manual tune keys work from the start).
    reset = withValue(reset, "Passphrase", "");
    reset = withValue(reset, "TUNEenabled", "1");
    EXPECT_EQ(sampleFile("setup.txt"), reset);
}

TEST(SampleUnit, ThePanelsCompleteTuneStartsBehindTheTuneAttenuator) {
    TestStation station;
    core::Works& works = station.works;
    core::InitErrorDescriptors(works);
    works.errorsHeld = 0;
    std::filesystem::create_directories(station.path("/opt/set"));
    std::ofstream(station.path(config::kSetupPath)) << sampleFile("setup.txt");
    config::readSetup(works);
    works.ModeWorkIdx = 0;

    ui::DecodeTasto(works, 4, 0);  // the tune menu
    ui::DecodeTasto(works, 3, 0);  // complete tune

    EXPECT_EQ(works.tuneState, 1);
    EXPECT_EQ(works.panelFlags & core::panelFlags::TuneDisabled, 0);
    const auto pending = works.cmdRing.pending();
    ASSERT_NE(std::find(pending.begin(), pending.end(), core::cmd::TuneAttenuator), pending.end());
    // Both pads: the search's worst settings send back less than the reflected-power trip.
    const std::optional<amp::CommandText> pads = amp::commandText(works, core::cmd::TuneAttenuator);
    ASSERT_TRUE(pads.has_value());
    EXPECT_EQ(pads->payload, "AT11;");
}

}  // namespace
