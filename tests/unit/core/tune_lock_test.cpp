#include "core/tune_lock.h"

#include <gtest/gtest.h>

#include "test_station.h"

namespace {

TEST(TuneLock, AHolderThatNeverUnlocksIsTakenOverAfterABoundedWait) {
    testing_support::TestStation station;
    core::TuneLock& lock = station.works.tuneLock;
    lock.lock();
    lock.lock();  // the first holder forgot to unlock
    EXPECT_TRUE(lock.held());
    EXPECT_TRUE(station.log.contains("tune lock held for over 1000 ms: taken over"));
}

}  // namespace
