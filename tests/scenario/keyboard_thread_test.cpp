#include "ui/keyboard_thread.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "config/setup.h"
#include "core/flag_bits.h"
#include "platform/sim/sim_keyboard.h"
#include "test_station.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::SystemAction;

input_event event(uint16_t type, uint16_t code, int32_t value) {
    input_event record{};
    record.type = type;
    record.code = code;
    record.value = value;
    return record;
}

input_event press(uint16_t code) {
    return event(EV_KEY, code, 1);
}

// Waits in real time for the keyboard thread, which runs on its own.
bool waitUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// The keyboard thread of a test station, its keyboard the simulated FIFO.
class ServiceKeyboard {
  public:
    void start() { station.threads.start(station.works, core::ThreadId::Keyb, ui::keyb); }
    [[nodiscard]] fs::path keyboardPath() const { return station.path(platform::kSimKeyboardPath); }
    // Writes the records once the thread holds the FIFO open; the last one in two parts.
    void type(std::vector<input_event> events) {
        int fd = -1;
        ASSERT_TRUE(waitUntil([&] {
            fd = ::open(keyboardPath().c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            return fd >= 0;
        }));
        const input_event last = events.back();
        events.pop_back();
        const size_t size = events.size() * sizeof(input_event);
        EXPECT_EQ(::write(fd, events.data(), size), static_cast<ssize_t>(size));
        const auto* bytes = reinterpret_cast<const char*>(&last);
        EXPECT_EQ(::write(fd, bytes, 5), 5);
        EXPECT_EQ(::write(fd, bytes + 5, sizeof last - 5), static_cast<ssize_t>(sizeof last - 5));
        ::close(fd);
    }
    // Ends the run, when the thread has not, and waits for the thread.
    void stop() {
        station.works.running = 0;
        ASSERT_TRUE(waitUntil([&] { return !station.threads.alive(core::ThreadId::Keyb); }));
        station.threads.join(core::ThreadId::Keyb);
    }
    // The console, screenshot and service shell actions, in order.
    [[nodiscard]] std::vector<SystemAction> keyActions() const {
        const SystemAction kept[] = {SystemAction::StopConsoleEcho,      SystemAction::RestoreConsole,
                                     SystemAction::RestoreConsoleAtExit, SystemAction::ClearConsole,
                                     SystemAction::TakeScreenshot,       SystemAction::StartServiceShell};
        std::vector<SystemAction> result;
        for (SystemAction action : station.actions())
            if (std::find(std::begin(kept), std::end(kept), action) != std::end(kept))
                result.push_back(action);
        return result;
    }
    [[nodiscard]] platform::Clock::Duration elapsed() const {
        return station.works.platform->clock().now() - platform::Clock::TimePoint{};
    }

    testing_support::TestStation station;
};

TEST(ServiceKeyboard, KeyPressesActAndF12EndsTheRun) {
    const struct {
        const char* name;
        std::vector<input_event> events;
        std::vector<SystemAction> actions;
        bool setupSaved;
        bool remoteService;
        const char* logged;
    } cases[] = {
        {"F12 alone", {}, {}, false, false, "Exited by KEY_F12"},
        {"Print Screen",
         {press(KEY_SYSRQ)},
         {SystemAction::TakeScreenshot},
         false,
         false,
         "launched screenshot"},
        {"F11", {press(KEY_F11)}, {}, true, false, "Save setup"},
        {"F10", {press(KEY_F10)}, {SystemAction::StartServiceShell}, false, true, "launched ssh"},
        {"releases, repeats and other events",
         {event(EV_KEY, KEY_SYSRQ, 0), event(EV_KEY, KEY_F11, 2), event(EV_KEY, KEY_F10, 0),
          event(EV_MSC, MSC_SCAN, KEY_F12), event(EV_REL, KEY_F12, 1), event(EV_SYN, SYN_REPORT, 0)},
         {},
         false,
         false,
         "Exited by KEY_F12"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        ServiceKeyboard keyboard;
        keyboard.start();
        std::vector<input_event> events = test.events;
        events.push_back(press(KEY_F12));
        keyboard.type(events);
        ASSERT_TRUE(waitUntil([&] { return !keyboard.station.threads.alive(core::ThreadId::Keyb); }));
        keyboard.station.threads.join(core::ThreadId::Keyb);

        EXPECT_EQ(keyboard.station.works.running, 0);
        std::vector<SystemAction> expected = {SystemAction::StopConsoleEcho};
        expected.insert(expected.end(), test.actions.begin(), test.actions.end());
        expected.insert(expected.end(), {SystemAction::RestoreConsoleAtExit, SystemAction::ClearConsole});
        EXPECT_EQ(keyboard.keyActions(), expected);
        EXPECT_EQ(fs::exists(keyboard.station.path(config::kSetupPath)), test.setupSaved);
        EXPECT_EQ((keyboard.station.works.serviceFlags & core::serviceFlags::RemoteService) != 0,
                  test.remoteService);
        EXPECT_TRUE(keyboard.station.log.contains(test.logged));
    }
}

TEST(ServiceKeyboard, WithoutAUsableKeyboardItLooksAgainEvery20SecondsUntilOneIsPluggedIn) {
    const struct {
        const char* name;
        const char* unusable;  // what stands in the keyboard's folder, if anything
        const char* logged;
    } cases[] = {
        {"nothing", nullptr, nullptr},
        {"a directory", "/dev/input/by-id/a-event-kbd", "error 21 -Is a directory"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        ServiceKeyboard keyboard;
        fs::remove(keyboard.keyboardPath());
        if (test.unusable != nullptr) fs::create_directory(keyboard.station.path(test.unusable));
        keyboard.start();
        ASSERT_TRUE(waitUntil([&] { return keyboard.elapsed() >= 60s; }));
        EXPECT_FALSE(keyboard.station.log.contains("Keyboard opened"));
        EXPECT_EQ(keyboard.station.log.contains("Cannot open"), test.logged != nullptr);
        if (test.logged != nullptr) {
            EXPECT_TRUE(keyboard.station.log.contains(test.logged));
        }

        if (test.unusable != nullptr) fs::remove(keyboard.station.path(test.unusable));
        ASSERT_EQ(::mkfifo(keyboard.keyboardPath().c_str(), 0600), 0);
        ASSERT_TRUE(waitUntil([&] { return keyboard.station.log.contains("Keyboard opened"); }));
        keyboard.stop();
        const std::vector<SystemAction> expected = {SystemAction::StopConsoleEcho,
                                                    SystemAction::RestoreConsole};
        EXPECT_EQ(keyboard.keyActions(), expected);
    }
}

TEST(ServiceKeyboard, AKeyboardThatCannotBeReadIsLetGoAndLookedForAgainAfterThePause) {
    ServiceKeyboard keyboard;
    fs::remove(keyboard.keyboardPath());
    { std::ofstream ended(keyboard.keyboardPath()); }
    const auto readErrors = [&] {
        const std::vector<std::string> errors = keyboard.station.log.lines(platform::LogChannel::Error);
        return std::count_if(errors.begin(), errors.end(),
                             [](const std::string& line) { return line.starts_with("error reading"); });
    };
    keyboard.start();
    ASSERT_TRUE(waitUntil([&] { return readErrors() >= 3; }));
    keyboard.stop();
    EXPECT_GE(keyboard.elapsed(), 40s);
    EXPECT_TRUE(keyboard.station.log.contains("error reading " + keyboard.keyboardPath().string() +
                                              ", error 19 -No such device"));
}

}  // namespace
