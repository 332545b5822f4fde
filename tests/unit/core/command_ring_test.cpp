#include "core/record/command_ring.h"

#include <gtest/gtest.h>

#include "core/amp_commands.h"

namespace {

TEST(CommandRing, AFullRingDropsTheOldestCodeInsteadOfLosingAll) {
    core::CommandRing ring;
    for (int32_t code = 1; code <= 31; ++code) ring.push(code);
    std::vector<int32_t> expected;
    for (int32_t code = 3; code <= 31; ++code) expected.push_back(code);
    EXPECT_EQ(ring.pending(), expected);
    EXPECT_EQ(ring.pop(), 3);
}

TEST(CommandRing, AFullRingNeverDropsAFanCommand) {
    core::CommandRing ring;
    ring.push(1);
    ring.push(core::cmd::Fan);  // fan control queues no other until this one has gone out
    for (int32_t code = 2; code <= 30; ++code) ring.push(code);
    EXPECT_EQ(ring.pending().front(), core::cmd::Fan);
    EXPECT_EQ(ring.pending().size(), 29u);
}

TEST(CommandRing, PopsInOrderAcrossTheWrap) {
    core::CommandRing ring;
    for (int round = 0; round < 3; ++round) {
        for (int32_t code = 0; code < 20; ++code) ring.push(code);
        for (int32_t code = 0; code < 20; ++code) EXPECT_EQ(ring.pop(), code);
        EXPECT_TRUE(ring.empty());
        EXPECT_EQ(ring.pop(), std::nullopt);
    }
}

}  // namespace
