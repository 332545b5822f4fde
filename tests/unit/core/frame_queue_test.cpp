#include "core/record/frame_queue.h"

#include <gtest/gtest.h>

#include <optional>
#include <thread>
#include <vector>

#include "core/amp_commands.h"
#include "core/record/command_ring.h"

namespace {

using core::FrameQueue;
using Frame = FrameQueue::Frame;
using Needs = FrameQueue::Needs;
using Push = FrameQueue::Push;

TEST(FrameQueue, FramesComeOutInTheirOrderAndOnlyThoseTheConnectionTakes) {
    FrameQueue queue({.bytes = 1000, .frames = 10});
    EXPECT_EQ(queue.push({1}, Needs::Handshake), Push::NoClient) << "no connection";
    queue.open();
    EXPECT_EQ(queue.push({2}, Needs::Login), Push::NoClient) << "before the pass phrase";
    EXPECT_EQ(queue.push({3}, Needs::Handshake), Push::Queued);
    queue.admit();
    EXPECT_EQ(queue.push({4, 4}, Needs::Login), Push::Queued);
    EXPECT_EQ(queue.push({5}, Needs::Handshake), Push::Queued);
    EXPECT_EQ(queue.waiting(), 3u);
    for (const Frame& expected : {Frame{3}, Frame{4, 4}, Frame{5}}) EXPECT_EQ(queue.pop(), expected);
    EXPECT_EQ(queue.waiting(), 0u);

    EXPECT_EQ(queue.push({6}, Needs::Login), Push::Queued);
    queue.close();
    EXPECT_EQ(queue.waiting(), 0u) << "what waits is dropped with the connection";
    EXPECT_EQ(queue.pop(), std::nullopt);
    EXPECT_EQ(queue.push({7}, Needs::Handshake), Push::NoClient);
    queue.admit();
    EXPECT_EQ(queue.push({8}, Needs::Login), Push::NoClient) << "no pass phrase without a connection";
    queue.open();
    EXPECT_EQ(queue.push({9}, Needs::Login), Push::NoClient) << "the next client starts unauthenticated";
}

TEST(FrameQueue, AFrameOverALimitLetsTheClientGoOnce) {
    struct Case {
        const char* name;
        FrameQueue::Limits limits;
        std::vector<size_t> taken;  // sizes queued before the one that overflows
        size_t over;
    };
    for (const Case& test : {
             Case{"bytes", {.bytes = 100, .frames = 10}, {60, 40}, 1},
             Case{"frames", {.bytes = 1000, .frames = 3}, {1, 1, 1}, 1},
             Case{"one frame bigger than all", {.bytes = 100, .frames = 10}, {}, 101},
         }) {
        SCOPED_TRACE(test.name);
        FrameQueue queue(test.limits);
        queue.open();
        queue.admit();
        for (size_t size : test.taken) EXPECT_EQ(queue.push(Frame(size), Needs::Login), Push::Queued);
        EXPECT_TRUE(queue.taking());
        EXPECT_EQ(queue.push(Frame(test.over), Needs::Login), Push::Overflow);
        EXPECT_FALSE(queue.taking());
        EXPECT_EQ(queue.waiting(), 0u) << "a client let go gets nothing more";
        EXPECT_EQ(queue.pop(), std::nullopt) << "the writer is told";
        EXPECT_EQ(queue.push({1}, Needs::Handshake), Push::NoClient) << "told once";
        queue.close();
        queue.open();
        EXPECT_EQ(queue.push(Frame(test.limits.bytes), Needs::Handshake), Push::Queued) << "the next client";
    }
}

// The writer waits for frames while the connection lasts; at its end it
// still gets what waits, then nothing.
TEST(FrameQueue, TheWriterWaitsForFramesAndTakesTheLastOnesAtTheEnd) {
    FrameQueue queue({.bytes = 1000, .frames = 10});
    queue.open();
    std::vector<Frame> taken;
    std::thread writer([&] {
        while (std::optional<Frame> frame = queue.pop()) taken.push_back(*frame);
    });
    EXPECT_EQ(queue.push({1}, Needs::Handshake), Push::Queued);
    while (queue.waiting() > 0) std::this_thread::yield();
    EXPECT_EQ(queue.push({2}, Needs::Handshake), Push::Queued);
    EXPECT_EQ(queue.push({3}, Needs::Handshake), Push::Queued);
    queue.finish();
    EXPECT_EQ(queue.push({4}, Needs::Handshake), Push::NoClient);
    writer.join();
    EXPECT_EQ(taken, (std::vector<Frame>{{1}, {2}, {3}}));
    EXPECT_FALSE(queue.taking());
}

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
