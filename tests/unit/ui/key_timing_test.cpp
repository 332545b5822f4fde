#include "ui/key_timing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/sim/manual_clock.h"

namespace {

using namespace std::chrono_literals;

constexpr uint32_t kReleased = 0x3F;
constexpr auto kPass = 2ms;

uint32_t pressed(std::initializer_list<int> keys) {
    uint32_t levels = kReleased;
    for (int key : keys) levels &= ~(1u << (key - 1));
    return levels;
}

// The levels held for a number of 2 ms passes.
struct Segment {
    uint32_t levels;
    int passes;
};

struct Event {
    int key;
    int held;
    double seconds;  // since the first pass
};

struct KeyRun {
    std::vector<Event> events;
    double firstAnnounce = -1;
};

// Plays the segments pass by pass on the manual clock; the dispatch asks for
// repeat when repeat is set.
KeyRun play(const std::vector<Segment>& segments, bool repeat = false) {
    platform::ManualClock clock;
    const auto start = clock.now();
    ui::KeyTiming keys;
    KeyRun run;
    auto seconds = [&] { return std::chrono::duration<double>(clock.now() - start).count(); };
    auto dispatch = [&](int key, int held) {
        run.events.push_back({key, held, seconds()});
        return repeat && held != 0 ? 1 : 0;
    };
    for (const Segment& segment : segments) {
        for (int pass = 0; pass < segment.passes; ++pass) {
            keys.pass(segment.levels, clock.now(), 0.5, dispatch, [&](bool near) {
                if (near && run.firstAnnounce < 0) run.firstAnnounce = seconds();
            });
            clock.sleepFor(kPass);
        }
    }
    return run;
}

struct Case {
    const char* name;
    std::vector<Segment> segments;
    std::vector<std::pair<int, int>> events;  // key, held
};

TEST(KeyTiming, EventsFollowTheKeysLevels) {
    const uint32_t bounce3 = pressed({3});
    std::vector<Segment> sixBounces{{kReleased, 10}};
    for (int bounce = 0; bounce < 6; ++bounce)
        sixBounces.insert(sixBounces.end(), {{bounce3, 1}, {kReleased, 3}});
    sixBounces.back().passes = 100;
    const Case cases[] = {
        {"a single bounce changes nothing", {{kReleased, 10}, {bounce3, 1}, {kReleased, 100}}, {}},
        {"six isolated bounces press the key, six more release it", sixBounces, {{3, 0}}},
        {"a short press fires once, at release",
         {{kReleased, 10}, {pressed({2}), 100}, {kReleased, 100}},
         {{2, 0}}},
        {"a long press fires once and nothing at release",
         {{kReleased, 10}, {pressed({2}), 500}, {kReleased, 100}},
         {{2, 1 << 1}}},
        {"a second key is not accepted while the first is down",
         {{kReleased, 10}, {pressed({1}), 50}, {pressed({1, 2}), 50}, {kReleased, 100}},
         {{1, 0}}},
        {"a key already down at start counts only once released",
         {{pressed({5}), 100}, {kReleased, 100}, {pressed({5}), 50}, {kReleased, 100}},
         {{5, 0}}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        std::vector<std::pair<int, int>> seen;
        for (const Event& event : play(test.segments).events) seen.emplace_back(event.key, event.held);
        EXPECT_EQ(seen, test.events);
    }
}

TEST(KeyTiming, LongPressIsAnnouncedAheadThenRepeatsSlowlyFourteenTimesThenFast) {
    const KeyRun run = play({{kReleased, 10}, {pressed({4}), 1500}, {kReleased, 100}}, true);
    const double pass = std::chrono::duration<double>(kPass).count();
    const double pressedAt = 10 * pass + 5 * pass;  // the sixth differing pass
    EXPECT_NEAR(run.firstAnnounce - pressedAt, 0.35, 1.5 * pass);
    ASSERT_GT(run.events.size(), 30u);
    EXPECT_NEAR(run.events[0].seconds - pressedAt, 0.5, 1.5 * pass);
    for (size_t i = 1; i < run.events.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(run.events[i].key, 4);
        EXPECT_EQ(run.events[i].held, 1 << 3);
        const double period = i <= 14 ? 0.1 : 0.02;
        EXPECT_NEAR(run.events[i].seconds - run.events[i - 1].seconds, period, 1.5 * pass);
    }
}

}  // namespace
