#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <utility>

#include "test_station.h"

using platform::LogChannel;
using testing_support::TestStation;

namespace {

std::vector<std::string> mountCommands(TestStation& station) {
    std::vector<std::string> mounts;
    for (const auto& command : station.shell().commands())
        if (command.find("mount") != std::string::npos) mounts.push_back(command);
    return mounts;
}

TEST(FileStore, SaveReplacesTheFileInsideTheReadWriteWindow) {
    TestStation station;
    auto& files = station.works.platform->files();
    ASSERT_TRUE(files.save("/opt/set/name.txt", "first\n"));
    ASSERT_TRUE(files.save("/opt/set/name.txt", "second\n"));
    EXPECT_EQ(files.read("/opt/set/name.txt"), "second\n");
    EXPECT_FALSE(std::filesystem::exists(station.path("/opt/set/name.txt.new")));
    EXPECT_EQ(mountCommands(station),
              (std::vector<std::string>{"mount -o remount defaults,rw /opt/set", "mount -v -n -o remount -r /opt/set",
                                        "mount -o remount defaults,rw /opt/set", "mount -v -n -o remount -r /opt/set"}));
    EXPECT_TRUE(station.shell().readOnly());
}

TEST(FileStore, FailedReadWriteRemountLeavesTheOldFile) {
    TestStation station;
    auto& files = station.works.platform->files();
    ASSERT_TRUE(files.save("/opt/set/name.txt", "kept\n"));
    station.shell().failCommandsStartingWith("mount -o remount defaults,rw", 32);
    EXPECT_FALSE(files.save("/opt/set/name.txt", "lost\n"));
    EXPECT_EQ(files.read("/opt/set/name.txt"), "kept\n");
    EXPECT_TRUE(station.log.contains("can't mount rw /opt/set/ error"));
}

TEST(FileStore, FailedRemountsGoToTheSystemLogAndStandardError) {
    for (auto [command, text] : {std::pair{"mount -o remount defaults,rw", "can't mount rw /opt/set/ error "},
                                 {"mount -v -n -o remount -r", "can't mount ro /opt/set/ error "}}) {
        TestStation station;
        station.shell().failCommandsStartingWith(command, 32);
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

TEST(FileStore, ReadOnlyRemountFollowsAFailedWrite) {
    TestStation station;
    auto& files = station.works.platform->files();
    EXPECT_FALSE(files.save("/opt/set/missing-folder/file.txt", "x"));
    EXPECT_EQ(mountCommands(station).back(), "mount -v -n -o remount -r /opt/set");
    EXPECT_TRUE(station.shell().readOnly());
}

TEST(FileStore, RemoveTreatsAMissingFileAsRemoved) {
    TestStation station;
    auto& files = station.works.platform->files();
    ASSERT_TRUE(files.save("/opt/set/good", ""));
    EXPECT_TRUE(files.remove("/opt/set/good"));
    EXPECT_FALSE(std::filesystem::exists(station.path("/opt/set/good")));
    EXPECT_TRUE(files.remove("/opt/set/good"));
}

TEST(SimShell, NothingReachesTheHost) {
    TestStation station;
    std::ofstream(station.path("/opt/set/good")) << "";
    auto& shell = station.shell();
    EXPECT_EQ(shell.run("rm -f /opt/set/good >/dev/null 2>&1"), 0);
    EXPECT_FALSE(std::filesystem::exists(station.path("/opt/set/good")));
    EXPECT_EQ(shell.run("/sbin/reboot"), 0);
    EXPECT_EQ(shell.run("sudo ifdown --exclude=lo -a && sudo ifup --exclude=lo -a"), 0);
    EXPECT_NE(shell.run("some-unknown-program"), 0);
    EXPECT_EQ(shell.capture("my_temp"), std::nullopt);
    shell.setProgramOutput("my_temp", "temp=48.3'C\n");
    EXPECT_EQ(shell.capture("my_temp"), "temp=48.3'C\n");
    EXPECT_EQ(shell.commands().size(), 6u);
}

TEST(RunRoot, ResolvesAbsolutePathsUnderTheRoot) {
    EXPECT_EQ(platform::RunRoot("/tmp/x/").resolve("/opt/set/setup.txt"), "/tmp/x/opt/set/setup.txt");
    EXPECT_EQ(platform::RunRoot().resolve("/dev/ttyAMA0"), "/dev/ttyAMA0");
    EXPECT_EQ(platform::RunRoot("/tmp/x").resolve("start.png"), "start.png");
}

}  // namespace
