#pragma once
// The real link thread against the emulator on its pseudo-terminal, for
// process-level tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "amp/fan_table.h"
#include "amp/link.h"
#include "config/setup.h"
#include "core/errors.h"
#include "emulator_process.h"
#include "platform/sim/scaled_clock.h"
#include "test_station.h"

namespace testing_support {

inline std::vector<std::string> words(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> result;
    for (std::string word; stream >> word;) result.push_back(word);
    return result;
}

// The real link thread against the emulator on its pseudo-terminal.
class AmpLinkTest : public ::testing::Test {
  protected:
    // The emulator answers in real time; a link whose timing does not matter to the
    // test may run its clock faster, as long as its reply time-out stays far above
    // the emulator's reply time.
    explicit AmpLinkTest(double timeScale = 1.0)
        : station(std::make_unique<platform::ScaledClock>(timeScale)) {}

    void SetUp() override {
        config::initSetup(works);
        core::InitErrorDescriptors(works);
        for (int table = 0; table < 3; ++table) amp::ReadVentolaFile(works, table);
        ASSERT_TRUE(emulator.ready());
    }
    void TearDown() override {
        works.running = 0;
        station.threads.join(core::ThreadId::Linear);
    }
    void startLink() {
        station.threads.start(works, core::ThreadId::Linear,
                              [](core::Works& record) { amp::Linear(record); });
    }

    // Payloads the emulator has received, without the leading "OK" word of the reply.
    std::vector<std::string> received() {
        auto list = words(emulator.control("received"));
        if (!list.empty()) list.erase(list.begin());
        return list;
    }
    bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }
    bool waitForPayload(const std::string& payload,
                        std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return waitUntil(
            [&] {
                auto list = received();
                return std::find(list.begin(), list.end(), payload) != list.end();
            },
            limit);
    }

    TestStation station;
    core::Works& works = station.works;
    EmulatorProcess emulator{station.root()};
};

}  // namespace testing_support
