// The run root as the station scripts prepare it (scripts/run-root.sh): the
// memory banks a new unit cycles through start as the sample band table, on
// the interface of the run's transceiver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "station_process.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readAll;

const char* const kBankFiles[] = {"antenna.txt", "antenna_b1.txt", "antenna_b2.txt"};

// Runs the script's commands on the root ($0 in them) and tells whether they succeeded.
bool runRootScript(const std::string& commands, const fs::path& root) {
    const std::string command = std::string("cd '") + BRISEL_SOURCE_DIR +
                                "' && bash -c 'source scripts/run-root.sh && " + commands + "' '" +
                                root.string() + "'";
    return std::system(command.c_str()) == 0;
}

std::string withoutFirstLine(const std::string& text) {
    return text.substr(text.find('\n') + 1);
}

class RunRootProcess : public ::testing::Test {
  protected:
    ~RunRootProcess() override { fs::remove_all(root); }
    std::string bank(const char* file) { return readAll(root / "opt/set" / file); }
    std::string header(const char* file) {
        const std::string text = bank(file);
        return text.substr(0, text.find('\n'));
    }

    fs::path root = testing_support::StationProcess::makeRoot();
    std::string sample = readAll(std::string(BRISEL_SOURCE_DIR) + "/sim/station/antenna.txt");
};

TEST_F(RunRootProcess, EveryBankOfANewRootIsTheSampleBandTable) {
    ASSERT_TRUE(runRootScript("prepare_run_root \"$0\"", root));
    ASSERT_EQ(sample.rfind("!Gen\n", 0), 0u);
    for (const char* file : kBankFiles) EXPECT_EQ(bank(file), sample) << file;
}

TEST_F(RunRootProcess, TheBanksFollowTheRunsRadioBothWays) {
    ASSERT_TRUE(runRootScript("prepare_run_root \"$0\" && match_banks_to_radio \"$0\" qor", root));
    for (const char* file : kBankFiles) {
        EXPECT_EQ(header(file), "!Qor") << file;
        EXPECT_EQ(withoutFirstLine(bank(file)), withoutFirstLine(sample)) << file;
    }
    ASSERT_TRUE(runRootScript("match_banks_to_radio \"$0\" \"\"", root));
    for (const char* file : kBankFiles) EXPECT_EQ(bank(file), sample) << file;
}

TEST_F(RunRootProcess, TheBanksAnFt817RunSwitchedGoBackWithoutIt) {
    ASSERT_TRUE(runRootScript("prepare_run_root \"$0\" && match_banks_to_radio \"$0\" ft817", root));
    for (const char* file : kBankFiles) {
        EXPECT_EQ(header(file), "!817") << file;
        EXPECT_EQ(withoutFirstLine(bank(file)), withoutFirstLine(sample)) << file;
    }
    ASSERT_TRUE(runRootScript("match_banks_to_radio \"$0\" \"\"", root));
    for (const char* file : kBankFiles) EXPECT_EQ(bank(file), sample) << file;
    EXPECT_FALSE(fs::exists(root / "run.radio"));
}

TEST_F(RunRootProcess, ABankTableAlreadyThereIsKept) {
    fs::create_directories(root / "opt/set");
    const std::string own = "!817\n20m 14000000 14350000 1 2 0 3 1.5\n";
    std::ofstream(root / "opt/set/antenna_b1.txt") << own;
    ASSERT_TRUE(runRootScript("prepare_run_root \"$0\" && match_banks_to_radio \"$0\" \"\"", root));
    EXPECT_EQ(bank("antenna_b1.txt"), own);
}

}  // namespace
