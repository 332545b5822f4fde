#include "config/remote_threads.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_station.h"

namespace {

TEST(RemoteThreads, StopAndStartFlipTheEnableCharactersAndSave) {
    testing_support::TestStation station;
    core::Works& works = station.works;
    station.setup.EnableWrite = '1';
    station.setup.EnableFFT = '1';
    works.remoteFault = 1;
    config::ExitThreadRemote(works);
    EXPECT_EQ(station.setup.EnableWrite, '0');
    EXPECT_EQ(station.setup.EnableFFT, '0');
    EXPECT_TRUE(station.log.contains(">>>>>>>>>>>>>>>>>>>>>>>>> REMOTE STOP \n"));
    config::StartThreadCommRemote(works);
    for (char enable : {station.setup.EnableWrite.load(), station.setup.EnableRead.load(),
                        station.setup.EnableCAT.load(), station.setup.EnableFFT.load()})
        EXPECT_EQ(enable, '1');
    EXPECT_EQ(works.remoteFault, 0);
    EXPECT_TRUE(std::filesystem::exists(station.path("/opt/set/setup.txt")));
}

}  // namespace
