#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <utility>

#include "test_station.h"

using platform::LogChannel;
using platform::SystemAction;
using testing_support::TestStation;

namespace {

TEST(FileStore, SaveReplacesTheFileInsideTheReadWriteWindowAndRemoveTakesItAway) {
    TestStation station;
    auto& files = station.works.platform->files();
    ASSERT_TRUE(files.save("/opt/set/name.txt", "first\n"));
    ASSERT_TRUE(files.save("/opt/set/name.txt", "second\n"));
    EXPECT_EQ(files.read("/opt/set/name.txt"), "second\n");
    EXPECT_FALSE(std::filesystem::exists(station.path("/opt/set/name.txt.new")));
    EXPECT_EQ(station.actions(),
              (std::vector<SystemAction>{
                  SystemAction::RemountSettingsReadWrite, SystemAction::RemountSettingsReadOnly,
                  SystemAction::RemountSettingsReadWrite, SystemAction::RemountSettingsReadOnly}));
    EXPECT_TRUE(station.system().settingsReadOnly());

    // Remove treats a missing file as removed.
    EXPECT_TRUE(files.remove("/opt/set/name.txt"));
    EXPECT_FALSE(std::filesystem::exists(station.path("/opt/set/name.txt")));
    EXPECT_TRUE(files.remove("/opt/set/name.txt"));
}

TEST(FileStore, AFailedWriteRemountsReadOnlyAndAFailedReadWriteRemountLeavesTheOldFile) {
    TestStation station;
    auto& files = station.works.platform->files();
    EXPECT_FALSE(files.save("/opt/set/missing-folder/file.txt", "x"));
    EXPECT_EQ(station.actions().back(), SystemAction::RemountSettingsReadOnly);
    EXPECT_TRUE(station.system().settingsReadOnly());

    ASSERT_TRUE(files.save("/opt/set/name.txt", "kept\n"));
    station.system().failAction(SystemAction::RemountSettingsReadWrite, 32);
    EXPECT_FALSE(files.save("/opt/set/name.txt", "lost\n"));
    EXPECT_EQ(files.read("/opt/set/name.txt"), "kept\n");
    EXPECT_TRUE(station.log.contains("can't mount rw /opt/set/ error"));
}

TEST(FileStore, FailedRemountsGoToTheSystemLogAndStandardError) {
    for (auto [action, text] :
         {std::pair{SystemAction::RemountSettingsReadWrite, "can't mount rw /opt/set/ error "},
          {SystemAction::RemountSettingsReadOnly, "can't mount ro /opt/set/ error "}}) {
        TestStation station;
        station.system().failAction(action, 32);
        (void)station.works.platform->files().save("/opt/set/name.txt", "x\n");
        for (LogChannel channel : {LogChannel::Error, LogChannel::Trace}) {
            auto lines = station.log.lines(channel);
            EXPECT_TRUE(
                std::any_of(lines.begin(), lines.end(),
                            [text = text](const std::string& line) { return line.starts_with(text); }))
                << text << " on channel " << static_cast<int>(channel);
        }
    }
}

TEST(SimSystem, NothingReachesTheHost) {
    TestStation station;
    std::ofstream(station.path("/opt/set/good")) << "";
    auto& system = station.system();
    EXPECT_EQ(system.removeFile("/opt/set/good"), 0);
    EXPECT_FALSE(std::filesystem::exists(station.path("/opt/set/good")));
    EXPECT_EQ(system.removeFile("/opt/set/good"), 0);
    EXPECT_EQ(system.remountRootReadWrite(), 0);
    EXPECT_EQ(system.reboot(), 0);
    EXPECT_EQ(system.restartNetwork(), 0);
    EXPECT_EQ(system.hideConsoleCursor(), 0);
    EXPECT_EQ(system.boardTemperatureReport(), "45.0\ntemp=44.5'C\n");
    system.setBoardTemperatureReport("temp=48.3'C\n");
    EXPECT_EQ(system.boardTemperatureReport(), "temp=48.3'C\n");
    system.failAction(SystemAction::ReadBoardTemperature, 127);
    EXPECT_EQ(system.boardTemperatureReport(), std::nullopt);
    EXPECT_EQ(system.calls(), (std::vector<platform::SystemCall>{{SystemAction::RemoveFile, "/opt/set/good"},
                                                                 {SystemAction::RemoveFile, "/opt/set/good"},
                                                                 {SystemAction::RemountRootReadWrite},
                                                                 {SystemAction::Reboot},
                                                                 {SystemAction::RestartNetwork},
                                                                 {SystemAction::HideConsoleCursor},
                                                                 {SystemAction::ReadBoardTemperature},
                                                                 {SystemAction::ReadBoardTemperature},
                                                                 {SystemAction::ReadBoardTemperature}}));
}

TEST(RunRoot, ResolvesAbsolutePathsUnderTheRoot) {
    EXPECT_EQ(platform::RunRoot("/tmp/x/").resolve("/opt/set/setup.txt"), "/tmp/x/opt/set/setup.txt");
    EXPECT_EQ(platform::RunRoot().resolve("/dev/ttyAMA0"), "/dev/ttyAMA0");
    EXPECT_EQ(platform::RunRoot("/tmp/x").resolve("start.png"), "start.png");
}

}  // namespace
