// The amplifier link against the emulated amplifier in the same process, on
// the manual clock: every way an exchange can fail, with the link's time-out
// counted in clock time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "amp/fan_table.h"
#include "amp/frame.h"
#include "amp/link.h"
#include "amp/startup_commands.h"
#include "config/setup.h"
#include "core/amp_commands.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "fake_serial_port.h"
#include "sim/amp/emulator.h"
#include "test_station.h"

namespace {

using namespace std::chrono_literals;
using platform::Clock;
using sim::FaultKind;

class AmpLinkFaults : public ::testing::Test {
  protected:
    struct Sent {
        Clock::TimePoint at;
        std::string payload;
    };

    AmpLinkFaults() {
        config::initSetup(works);
        core::InitErrorDescriptors(works);
        for (int table = 0; table < 3; ++table) amp::ReadVentolaFile(works, table);
        works.errorsHeld = 0;
        port.onWrite = [this](std::string_view frame) { answer(frame); };
    }

    void startLink() {
        works.linearProcessStatus = core::cmd::Status;
        amp::OpenLinear(works, port);
    }

    // Runs the link until the condition holds, for at most limit of clock time.
    bool runUntil(const std::function<bool()>& condition, Clock::Duration limit = 30s) {
        const Clock::TimePoint deadline = clock.now() + limit;
        while (!condition()) {
            if (clock.now() > deadline) return false;
            amp::linearStep(works, port, input);
        }
        return true;
    }
    bool runUntilSent(size_t count) {
        return runUntil([&] { return sent.size() >= count; });
    }

    // The next request for payload gets this fault for its next count replies.
    void faultOn(std::string payload, FaultKind kind, int count = 1) {
        faultPayload = std::move(payload);
        faultKind = kind;
        faultCount = count;
    }

    std::vector<std::string> payloads(size_t from = 0) const {
        std::vector<std::string> result;
        for (size_t i = from; i < sent.size(); ++i) result.push_back(sent[i].payload);
        return result;
    }
    // Indices of the sends of payload from `from` on.
    std::vector<size_t> sendsOf(const std::string& payload, size_t from = 0) const {
        std::vector<size_t> result;
        for (size_t i = from; i < sent.size(); ++i)
            if (sent[i].payload == payload) result.push_back(i);
        return result;
    }

    testing_support::TestStation station;
    core::Works& works = station.works;
    Clock& clock = station.machine().clock();
    testing_support::FakeSerialPort port{clock};
    amp::LinkInput input;
    sim::Emulator emulator{sim::Identity{}, 1.0, clock.now()};
    std::vector<Sent> sent;
    // Replies held back this much longer than the emulator would, one by one.
    std::vector<Clock::Duration> extraDelays;

  private:
    void answer(std::string_view frame) {
        const amp::CheckedFrame checked = amp::checkFrame(frame, amp::HexCase::Lower);
        sent.push_back({clock.now(), std::string(checked.payload)});
        if (!faultPayload.empty() && checked.payload == faultPayload) {
            emulator.faults().arm(faultKind, faultCount);
            faultPayload.clear();
        }
        Clock::Duration extra = 0s;
        if (!extraDelays.empty()) {
            extra = extraDelays.front();
            extraDelays.erase(extraDelays.begin());
        }
        for (const sim::Transmission& reply : emulator.onFrame(frame, clock.now()))
            port.arriveAfter(reply.delay + extra, reply.bytes);
    }

    std::string faultPayload;
    FaultKind faultKind = FaultKind::None;
    int faultCount = 0;
};

TEST_F(AmpLinkFaults, TheIdleLinkAlternatesTheStatusAndFrequencyPolls) {
    startLink();
    EXPECT_EQ(port.device, station.path("/dev/ttyAMA0").string());
    EXPECT_EQ(port.settings.baud, 115200);
    EXPECT_EQ(works.linFD, testing_support::FakeSerialPort::kDescriptor);
    ASSERT_TRUE(runUntilSent(8));
    EXPECT_EQ(port.writes().front(), "4dST;");
    EXPECT_EQ(payloads(), (std::vector<std::string>{"ST;", "FM;", "ST;", "FM;", "ST;", "FM;", "ST;", "FM;"}));
    EXPECT_EQ(works.retryTotal, 0);
}

// The link thread wakes for a reply once it has come, not once per byte.
TEST_F(AmpLinkFaults, AReplyWaitingWholeIsTakenInOneRead) {
    startLink();
    ASSERT_TRUE(runUntilSent(1));
    port.reads = 0;
    ASSERT_TRUE(runUntilSent(2));
    EXPECT_EQ(port.reads, 1) << "the status reply, read byte by byte";
}

// The band's first command reaches the wire without waiting for one more
// status poll when it is queued during the pause after a status reply.
TEST_F(AmpLinkFaults, ACommandQueuedAfterTheStatusReplyTakesTheFrequencyPollsTurn) {
    startLink();
    ASSERT_TRUE(runUntil([&] { return works.linearProcessStatus == core::cmd::FrequencyPoll; }));
    works.frequency = 14074000;
    amp::IncPNTIn_CMDLinear(core::cmd::Frequency, works);
    ASSERT_TRUE(runUntilSent(4));
    EXPECT_EQ(payloads(), (std::vector<std::string>{"ST;", "FA00014074000;", "ST;", "FM;"}));
}

TEST_F(AmpLinkFaults, AReplyJustInsideTheTimeOutIsTaken) {
    startLink();
    extraDelays = {1499ms};
    ASSERT_TRUE(runUntilSent(4));
    EXPECT_EQ(payloads(), (std::vector<std::string>{"ST;", "FM;", "ST;", "FM;"}));
    EXPECT_EQ(sent[1].at - sent[0].at, 1499ms + 10ms)
        << "the reply's time and the pause after a status reply";
    EXPECT_EQ(works.retryTotal, 0);
}

// How many times in a row the reply to "FM;" is lost: fewer than four are
// resent after the time-out, the fourth drops the command.
class LostReplies : public AmpLinkFaults, public ::testing::WithParamInterface<int> {};

TEST_P(LostReplies, AreResentAfterTheTimeOutUntilTheFourthGivesTheCommandUp) {
    const int lost = GetParam();
    const int sends = std::min(lost + 1, 4);
    startLink();
    faultOn("FM;", FaultKind::Drop, lost);
    ASSERT_TRUE(runUntilSent(1 + static_cast<size_t>(sends) + 2));
    std::vector<std::string> expected{"ST;"};
    expected.insert(expected.end(), static_cast<size_t>(sends), "FM;");
    expected.insert(expected.end(), {"ST;", "FM;"});
    EXPECT_EQ(payloads(), expected);
    for (int i = 2; i <= sends; ++i)
        EXPECT_EQ(sent[static_cast<size_t>(i)].at - sent[static_cast<size_t>(i - 1)].at, 1500ms) << i;
    EXPECT_EQ(works.retryTotal, lost);
    EXPECT_EQ(works.retryCount, 0);
    const bool givenUp = lost == 4;
    EXPECT_EQ(works.retryStops, givenUp ? 1 : 0);
    EXPECT_EQ(core::ExistError(works, core::err::Communication), givenUp ? 1 : 0);
    EXPECT_EQ(station.log.contains("STOP RETRAY!! FM"), givenUp);
    if (givenUp) {
        EXPECT_STREQ(works.errors.descriptor(core::err::Communication).line2, "Err FM");
    }
}

INSTANTIATE_TEST_SUITE_P(AmpLinkFaults, LostReplies, ::testing::Values(1, 2, 3, 4));

TEST_F(AmpLinkFaults, AReplyPastTheTimeOutIsDroppedAndTheLinkIsBackInStep) {
    startLink();
    faultOn("FM;", FaultKind::Delay);
    const Clock::TimePoint start = clock.now();
    ASSERT_TRUE(runUntil([&] { return clock.now() - start > 3s; }));
    const std::vector<size_t> fm = sendsOf("FM;");
    ASSERT_GE(fm.size(), 2u);
    EXPECT_EQ(sent[fm[1]].at - sent[fm[0]].at, 1500ms) << "resent after the time-out";
    EXPECT_EQ(works.retryTotal, 1);
    EXPECT_TRUE(station.log.contains("stale"));
    // In step again, the idle link alternates its two polls.
    const std::vector<std::string> list = payloads(fm[1]);
    for (size_t i = 1; i < list.size(); ++i) EXPECT_NE(list[i], list[i - 1]) << i;
}

TEST_F(AmpLinkFaults, BadChecksumsAreDiscardedWithoutRetry) {
    startLink();
    faultOn("FM;", FaultKind::Crc);
    ASSERT_TRUE(runUntil([&] { return station.log.contains("**** CHK ERROR!!"); }));
    ASSERT_TRUE(runUntilSent(6));
    EXPECT_EQ(payloads(), (std::vector<std::string>{"ST;", "FM;", "ST;", "FM;", "ST;", "FM;"}))
        << "the next command is chosen as after a good reply";
    station.log.clear();
    // The amplifier writes its checksum in upper case; lower case is as wrong.
    emulator.faults().arm(FaultKind::Lowercase, 1);
    ASSERT_TRUE(runUntil([&] { return station.log.contains("**** CHK ERROR!!"); }));
    EXPECT_EQ(works.retryTotal, 0);
}

TEST_F(AmpLinkFaults, GarbageWithoutAnEndIsWaitedOutAndTheCommandResent) {
    startLink();
    faultOn("FM;", FaultKind::Garbage);
    ASSERT_TRUE(runUntilSent(5));
    EXPECT_EQ(payloads(), (std::vector<std::string>{"ST;", "FM;", "FM;", "ST;", "FM;"}));
    EXPECT_EQ(sent[2].at - sent[1].at, 1500ms);
    EXPECT_EQ(works.retryTotal, 1);
}

TEST_F(AmpLinkFaults, ARefusalIsResentAtOnce) {
    startLink();
    faultOn("FM;", FaultKind::Refuse);
    ASSERT_TRUE(runUntilSent(5));
    EXPECT_EQ(payloads(), (std::vector<std::string>{"ST;", "FM;", "FM;", "ST;", "FM;"}));
    EXPECT_LT(sent[2].at - sent[1].at, 100ms) << "no time-out is waited";
    EXPECT_EQ(works.retryTotal, 1);
}

TEST_F(AmpLinkFaults, ALineLongerThanTheBufferIsDroppedAndTheLinkGoesOn) {
    startLink();
    faultOn("FM;", FaultKind::Long);
    ASSERT_TRUE(runUntilSent(12));
    EXPECT_TRUE(station.log.contains("ERROR COUNTER LINEAR"));
    EXPECT_LE(works.retryTotal, 1);
    const std::vector<std::string> list = payloads(4);
    for (size_t i = 1; i < list.size(); ++i) EXPECT_NE(list[i], list[i - 1]) << i;
}

TEST_F(AmpLinkFaults, AFailedReadIsRetriedAndTheUnreadReplyDropped) {
    startLink();
    ASSERT_TRUE(runUntilSent(2));
    port.failNextRead(-1);
    ASSERT_TRUE(runUntilSent(5));
    EXPECT_EQ(payloads(), (std::vector<std::string>{"ST;", "FM;", "FM;", "ST;", "FM;"}));
    EXPECT_TRUE(station.log.contains("timeout -1"));
    EXPECT_TRUE(station.log.contains("stale bytes dropped before the resend"));
    EXPECT_EQ(works.retryTotal, 1);
}

TEST_F(AmpLinkFaults, AFrameTooShortForAChecksumIsAFailedExchange) {
    startLink();
    ASSERT_TRUE(runUntilSent(2));
    port.flushInput();
    port.arriveAfter(0ms, ";");
    ASSERT_TRUE(runUntilSent(4));
    EXPECT_EQ(payloads(), (std::vector<std::string>{"ST;", "FM;", "FM;", "ST;"}));
    EXPECT_EQ(works.retryTotal, 1);
    EXPECT_FALSE(station.log.contains("CHK ERROR"));
}

TEST_F(AmpLinkFaults, APortThatDoesNotOpenIsShownAndEveryExchangeFails) {
    port.opens = false;
    startLink();
    EXPECT_EQ(works.failedThread, core::kFailedLinear);
    EXPECT_EQ(works.failedThreadText.get(), "Linear: Unable to open device /dev/ttyAMA0");
    const Clock::TimePoint start = clock.now();
    ASSERT_TRUE(runUntil([&] { return works.retryStops >= 1; }));
    EXPECT_EQ(clock.now() - start, 4 * 1500ms);
    EXPECT_EQ(core::ExistError(works, core::err::Communication), 1);
    EXPECT_TRUE(sent.empty());
}

}  // namespace
