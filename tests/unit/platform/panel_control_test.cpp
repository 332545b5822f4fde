#include "platform/sim/panel_control.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "platform/gpio.h"
#include "platform/sim/manual_clock.h"
#include "platform/sim/sim_gpio.h"
#include "platform/sim/virtual_framebuffer.h"
#include "sim/common/line_channel.h"
#include "test_station.h"

namespace {

// No key loop reads the keys here: a key change waits for none.
constexpr std::chrono::milliseconds kNoKeyLoop{0};

// A clock whose sleeps wait until the test lets them pass, so that a held
// key can be looked at while it is down.
class GateClock : public platform::ManualClock {
  public:
    void sleepFor(Duration) override {
        std::unique_lock lock(mutex_);
        sleeping_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
        sleeping_ = false;
    }
    void waitUntilSleeping() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return sleeping_; });
    }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool sleeping_ = false, open_ = false;
};

uint32_t keyLevels(platform::SimGpio& gpio) {
    return (gpio.read(platform::GpioRegister::Level0) >> 22) & 0x3F;
}

TEST(PanelControl, AnswersEachCommandOrItsUsage) {
    testing_support::TestStation station;
    platform::PanelControl panel(station.machine(), station.path("/run/panel.sock"), kNoKeyLoop);
    const struct {
        std::vector<const char*> lines;
        const char* answerStart;
    } groups[] = {
        {{"press 3", "hold 6 250", "release", "down 4", "up 4"}, "ok"},
        {{"press 0", "press 7", "hold 2", "hold 2 60001", "screenshot", "down 0", "up", "frame 0",
          "frame x /tmp/f.png", "frame 0 /tmp/f.png 2001", "frame 0 /tmp/f.png -1",
          "frame 0 /tmp/f.png soon"},
         "error usage"},
        {{"frame 0 /tmp/f.png", "frame 0 /tmp/f.png 0"}, "error no screen"},
        {{"push 1"}, "error unknown"},
    };
    for (const auto& group : groups)
        for (const char* line : group.lines)
            EXPECT_TRUE(panel.execute(line).starts_with(group.answerStart)) << line;
}

TEST(PanelControl, HoldDrivesTheKeysPinLowUntilItsTimeIsUp) {
    auto clock = std::make_unique<GateClock>();
    GateClock& gate = *clock;
    testing_support::TestStation station(std::move(clock));
    platform::SimGpio& gpio = station.gpio();
    platform::enablePullUps(gpio, 0x3Fu << 22);
    platform::PanelControl panel(station.machine(), station.path("/run/panel.sock"), kNoKeyLoop);
    ASSERT_EQ(keyLevels(gpio), 0x3Fu);

    std::string answer;
    std::thread holder([&] { answer = panel.execute("hold 2 600"); });
    gate.waitUntilSleeping();
    EXPECT_EQ(keyLevels(gpio), 0x3Fu & ~0b10u);
    gate.open();
    holder.join();
    EXPECT_EQ(answer, "ok");
    EXPECT_EQ(keyLevels(gpio), 0x3Fu);
}

TEST(PanelControl, DownKeepsTheKeyDownUntilUpOrRelease) {
    testing_support::TestStation station;
    platform::SimGpio& gpio = station.gpio();
    platform::enablePullUps(gpio, 0x3Fu << 22);
    platform::PanelControl panel(station.machine(), station.path("/run/panel.sock"), kNoKeyLoop);
    EXPECT_EQ(panel.execute("down 3"), "ok");
    EXPECT_EQ(panel.execute("down 5"), "ok");
    EXPECT_EQ(keyLevels(gpio), 0x3Fu & ~0b10100u);
    EXPECT_EQ(panel.execute("up 3"), "ok");
    EXPECT_EQ(keyLevels(gpio), 0x3Fu & ~0b10000u);
    EXPECT_EQ(panel.execute("release"), "ok");
    EXPECT_EQ(keyLevels(gpio), 0x3Fu);
}

TEST(PanelControl, FrameWritesOnlyAScreenNotYetSeen) {
    testing_support::TestStation station;
    platform::PanelControl panel(station.machine(), station.path("/run/panel.sock"), kNoKeyLoop);
    platform::VirtualFramebuffer display(station.machine().system());
    ASSERT_TRUE(display.open());
    const uint32_t size = platform::VirtualFramebuffer::kWidth * platform::VirtualFramebuffer::kHeight * 4;
    ASSERT_NE(display.map(size), nullptr);
    std::vector<uint8_t> frame(size, 0);
    const std::string picture = station.path("/tmp/frame.png");
    auto written = [&] { return std::filesystem::remove(picture); };

    EXPECT_EQ(panel.execute("frame 0 " + picture), "ok 0");
    EXPECT_FALSE(written()) << "nothing shown yet";
    display.present(frame.data(), size);
    EXPECT_EQ(panel.execute("frame 0 " + picture), "ok 1");
    EXPECT_TRUE(written());
    EXPECT_EQ(panel.execute("frame 1 " + picture), "ok 1");
    EXPECT_FALSE(written()) << "frame 1 is still shown";
    display.present(frame.data(), size);
    EXPECT_EQ(panel.execute("frame 1 " + picture), "ok 1") << "the same picture again is no new frame";
    frame[4 * 1000] = 0xFF;
    display.present(frame.data(), size);
    EXPECT_EQ(panel.execute("frame 1 " + picture), "ok 2");
    EXPECT_TRUE(written());
    EXPECT_TRUE(station.machine().system().calls().empty()) << "an observer's frames are no system actions";
}

// A viewer waits for the next frame on a connection of its own while the keys
// are served on another; the new frame ends its wait at once.
TEST(PanelControl, AViewerWaitingForTheNextFrameHoldsUpNoOtherClient) {
    testing_support::TestStation station;
    const std::string socket = station.path("/run/panel.sock");
    platform::PanelControl panel(station.machine(), socket, kNoKeyLoop);
    platform::VirtualFramebuffer display(station.machine().system());
    ASSERT_TRUE(display.open());
    const uint32_t size = platform::VirtualFramebuffer::kWidth * platform::VirtualFramebuffer::kHeight * 4;
    ASSERT_NE(display.map(size), nullptr);
    std::vector<uint8_t> frame(size, 0);
    display.present(frame.data(), size);
    const std::string picture = station.path("/tmp/frame.png");

    EXPECT_EQ(panel.execute("frame 1 " + picture + " 1"), "ok 1") << "nothing new within its wait";
    EXPECT_FALSE(std::filesystem::exists(picture));
    std::string waited;
    std::thread viewer([&] { waited = sim::askChannel(socket, "frame 1 " + picture + " 2000", 5000).text; });
    EXPECT_EQ(sim::askChannel(socket, "release", 5000).text, "ok");
    frame[4 * 2000] = 0xFF;
    display.present(frame.data(), size);
    viewer.join();
    EXPECT_EQ(waited, "ok 2") << "the viewer was held up or missed the new frame";
    EXPECT_TRUE(std::filesystem::exists(picture));
}

// An overlong line is refused, not gathered without end, and its client let go.
TEST(PanelControl, AnOverlongLineIsRefusedAndItsClientLetGo) {
    testing_support::TestStation station;
    const std::string socket = station.path("/run/panel.sock");
    platform::PanelControl panel(station.machine(), socket, kNoKeyLoop);
    sim::LineChannel client(socket);
    EXPECT_EQ(client.ask("screenshot /" + std::string(5000, 'x'), 5000).text, "error line too long");
    EXPECT_FALSE(client.ask("release", 5000).reached) << "the client was let go";
    EXPECT_EQ(sim::askChannel(socket, "release", 5000).text, "ok") << "the channel serves the next client";
}

TEST(GpioPulls, LatchOnlyWithTheSetUpTimeAroundTheClock) {
    constexpr uint32_t kKeys = 0x3Fu << 22;
    platform::SimGpio gpio;
    ASSERT_EQ(keyLevels(gpio), 0u);

    // Back to back, as the processor's block must not see them.
    gpio.write(platform::GpioRegister::PullControl, platform::kPullUp);
    gpio.write(platform::GpioRegister::PullClock0, kKeys);
    gpio.write(platform::GpioRegister::PullControl, platform::kPullOff);
    gpio.write(platform::GpioRegister::PullClock0, 0);
    EXPECT_EQ(keyLevels(gpio), 0u);

    platform::enablePullUps(gpio, kKeys);
    EXPECT_EQ(keyLevels(gpio), 0x3Fu);
}

}  // namespace
