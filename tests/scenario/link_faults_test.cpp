// Every fault the amplifier emulator can put on the link (a reply dropped,
// late, with a wrong or lower-case checksum, refused, garbage, overlong),
// each once and in random order at random moments, while the station starts,
// tunes, changes bank and saves a menu setting. Afterwards nothing is lost:
// what the operator asked for happened, the station answers its keys, the
// link is in step again, and the station starts again on its files.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "panel_station.h"

namespace {

using namespace std::chrono_literals;
using testing_support::readAll;

class LinkFaults : public ::testing::Test, protected testing_support::PanelStation {
  protected:
    LinkFaults() : random_(seed_) {
        writeFile("/opt/set/antenna.txt", "!Gen\n20m 14000000 14350000 1 1 0 0 0.0\n");
        writeFile("/opt/set/antenna_b1.txt", "!Gen\n20m 14000000 14350000 1 1 0 0 0.0\n");
        writeFile("/opt/set/setup.txt", "AutoTuneMode: 1\nTUNEenabled: 1\nSWRescAutoTune: 130\n");
        EXPECT_TRUE(prepareSampleRoot());  // the other files of a new unit
    }
    ~LinkFaults() override {
        stop_ = true;
        if (injector_.joinable()) injector_.join();
    }

    // Injects the seven faults, one reply each, in random order, each after a
    // random pause of up to `spread`, on a thread of its own.
    void startFaults(std::chrono::milliseconds spread) {
        std::vector<std::string> kinds = {"drop", "delay", "crc", "lowercase", "refuse", "garbage", "long"};
        std::shuffle(kinds.begin(), kinds.end(), random_);
        std::vector<std::chrono::milliseconds> pauses;
        std::uniform_int_distribution<std::chrono::milliseconds::rep> pause(0, spread.count());
        for (size_t i = 0; i < kinds.size(); ++i) pauses.emplace_back(pause(random_));
        injector_ = std::thread([this, kinds, pauses] {
            for (size_t i = 0; i < kinds.size() && !stop_; ++i) {
                std::this_thread::sleep_for(pauses[i]);
                emulator.control("fault " + kinds[i] + " 1");
                ++injected_;
            }
        });
    }
    // Until the last fault has been served to the station.
    void awaitLastFault() {
        if (injector_.joinable()) injector_.join();
        EXPECT_TRUE(station->waitFor([&] { return emulator.stateValue("fault_left") == "0"; }, 30s));
        control("fault none");
    }

    // After the last fault: the keys answer, the idle link alternates its two
    // polls again (one reply behind, it would send each twice), and the
    // station starts again on the files it left.
    void expectNothingLost() {
        awaitLastFault();
        EXPECT_EQ(injected_, 7);
        press(2);  // a key without a lasting effect on the main screen
        // A late reply is given up after 1.5 s and may still arrive after that.
        std::this_thread::sleep_for(3s);
        emulator.control("clear-received");
        EXPECT_TRUE(station->waitFor(
            [&] {
                const std::vector<std::string> list = received();
                if (list.size() < 12) return false;
                for (size_t i = list.size() - 8; i < list.size(); ++i)
                    if (list[i] == list[i - 1]) return false;
                return true;
            },
            60s))
            << emulator.control("received");
        restart();
        EXPECT_EQ(station->log().find("can't open"), std::string::npos) << station->log();
    }

    std::vector<std::string> received() {
        std::vector<std::string> list;
        std::istringstream words(emulator.control("received"));
        for (std::string word; words >> word;) list.push_back(word);
        if (!list.empty()) list.erase(list.begin());  // "ok"
        return list;
    }
    void control(const std::string& command) { ASSERT_EQ(emulator.control(command).rfind("ok", 0), 0u); }

    const unsigned seed_ = std::random_device{}();
    ::testing::ScopedTrace trace_{__FILE__, __LINE__, "seed " + std::to_string(seed_)};

  private:
    std::mt19937 random_;
    std::thread injector_;
    std::atomic<bool> stop_{false};
    std::atomic<int> injected_{0};
};

TEST_F(LinkFaults, DuringTheStartUp) {
    startFaults(1500ms);
    start();
    expectNothingLost();
}

TEST_F(LinkFaults, DuringAnAutomaticTune) {
    start();
    control("key 10 14100000");
    control("unkey");
    ASSERT_TRUE(logged("EVENT band 20m: 14.100000 MHz", 30s)) << station->log();
    control("load z 12 25");
    control("key 10 14100000");
    press(4);
    press(3);  // complete tune
    startFaults(2000ms);
    // A fault may cost the tune its result, never its end.
    EXPECT_TRUE(logged("Esc AutoTune", 100s)) << emulator.control("state") << "\n" << station->log();
    control("unkey");
    expectNothingLost();
}

TEST_F(LinkFaults, DuringABankChange) {
    start();
    control("key 10 14100000");
    control("unkey");
    ASSERT_TRUE(logged("EVENT band 20m: 14.100000 MHz", 30s)) << station->log();
    startFaults(1500ms);
    press(1);  // the next bank
    EXPECT_TRUE(logged("EVENT bank 1: interface Generic", 30s)) << station->log();
    expectNothingLost();
    EXPECT_NE(readAll(root / "opt/set/setup.txt").find("NumBanco: 1\n"), std::string::npos)
        << readAll(root / "opt/set/setup.txt");
}

TEST_F(LinkFaults, DuringAMenuSave) {
    start();
    startFaults(1500ms);
    press(5);  // SET: the first item is the number of banks
    press(6);
    press(5);  // +
    press(6);  // ENTER saves
    EXPECT_TRUE(station->waitFor(
        [&] { return readAll(root / "opt/set/setup.txt").find("MAXbank: 4\n") != std::string::npos; }, 30s))
        << readAll(root / "opt/set/setup.txt");
    expectNothingLost();
    EXPECT_NE(readAll(root / "opt/set/setup.txt").find("MAXbank: 4\n"), std::string::npos);
}

}  // namespace
