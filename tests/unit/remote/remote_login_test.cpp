#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "remote/guess_delay.h"
#include "remote/guess_limit.h"
#include "remote/pass_phrase.h"
#include "test_station.h"

namespace {

using std::chrono::seconds;

TEST(RemoteLogin, PassPhraseComparisonIsExactAndTheLogTellsNoLength) {
    testing_support::TestStation station;
    struct Case {
        std::string configured, attempt;
        bool same;
    };
    for (const Case& test : {
             Case{"Secret7", "Secret7", true},
             Case{"Secret7", "secret7", false},
             Case{"Secret7", "Secret", false},
             Case{"Secret7", "Secret77", false},
             Case{"Secret7", "", false},
             Case{"Secret7", std::string(125, 'x'), false},
         }) {
        station.log.clear();
        EXPECT_EQ(remote::checkPassPhrase(test.configured, test.attempt), test.same) << test.attempt;
        // Both sides masked alike, whatever their lengths.
        EXPECT_TRUE(station.log.contains(test.same ? "required >********< equals to >********<"
                                                   : "required >********< differ from >********<"))
            << test.attempt;
        EXPECT_FALSE(station.log.contains("Secret")) << test.attempt;
    }
}

TEST(RemoteLogin, WaitAfterThreeFailuresDoublesUpToThirtySeconds) {
    struct Case {
        int failures;
        int wait;
    };
    for (const Case& test : {Case{0, 0}, Case{1, 0}, Case{2, 0}, Case{3, 1}, Case{4, 2}, Case{5, 4},
                             Case{6, 8}, Case{7, 16}, Case{8, 30}, Case{50, 30}})
        EXPECT_EQ(remote::GuessDelay::waitAfter(test.failures), seconds(test.wait)) << test.failures;
}

TEST(RemoteLogin, OnlyTheGuessingAddressWaitsAndARightPassPhraseClearsIt) {
    remote::GuessDelay delay;
    const remote::GuessDelay::TimePoint start{};
    constexpr remote::Address guesser = 0x7F000001, other = 0x7F000002;
    for (int failure = 0; failure < 3; ++failure) delay.failed(guesser, start);
    EXPECT_EQ(delay.answerAt(guesser, start), start + seconds(1));
    EXPECT_EQ(delay.answerAt(guesser, start + seconds(2)), start + seconds(2)) << "the wait is over";
    EXPECT_EQ(delay.answerAt(other, start), start);
    EXPECT_EQ(delay.failed(guesser, start + seconds(2)), seconds(2));
    EXPECT_EQ(delay.answerAt(guesser, start + seconds(2)), start + seconds(4));
    delay.succeeded(guesser);
    EXPECT_EQ(delay.answerAt(guesser, start + seconds(2)), start + seconds(2));
    EXPECT_EQ(delay.failed(guesser, start), seconds(0)) << "counting starts again";
}

TEST(RemoteLogin, ASweepOfAddressesIsRememberedWithinBounds) {
    remote::GuessDelay delay;
    const remote::GuessDelay::TimePoint start{};
    for (int failure = 0; failure < 4; ++failure) delay.failed(1, start + seconds(100));
    for (remote::Address address = 1000; address < 5000; ++address) delay.failed(address, start);
    EXPECT_EQ(delay.failures(1), 4) << "the address still waiting longest is kept";
}

TEST(RemoteLogin, WrongPassPhrasesFromAllAddressesComeFiveAtOnceThenOneASecond) {
    remote::GuessLimit limit;
    const remote::GuessLimit::TimePoint start = remote::GuessLimit::TimePoint{} + seconds(100);
    for (int failure = 1; failure <= 5; ++failure) EXPECT_EQ(limit.failed(start), start) << failure;
    EXPECT_EQ(limit.failed(start), start + seconds(1));
    // Each next handshake read when the last wait ends: one a second for as long as it goes on.
    for (int failure = 1; failure <= 100; ++failure)
        ASSERT_EQ(limit.failed(start + seconds(failure)), start + seconds(failure + 1)) << failure;
    // Half a minute of quiet gives the whole burst back, and no more.
    const auto later = start + seconds(131);
    for (int failure = 1; failure <= 5; ++failure) EXPECT_EQ(limit.failed(later), later) << failure;
    EXPECT_EQ(limit.failed(later), later + seconds(1));
}

TEST(RemoteLogin, AnIdleLimitGivesBackOneAttemptPerSecond) {
    remote::GuessLimit limit;
    const remote::GuessLimit::TimePoint start = remote::GuessLimit::TimePoint{} + seconds(100);
    for (int failure = 1; failure <= 5; ++failure) (void)limit.failed(start);
    const auto later = start + seconds(2);
    EXPECT_EQ(limit.failed(later), later);
    EXPECT_EQ(limit.failed(later), later);
    EXPECT_EQ(limit.failed(later), later + seconds(1));
}

}  // namespace
