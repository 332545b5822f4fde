#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/paced_pcm.h"
#include "test_station.h"

namespace {

// The resident memory of this process, in kB.
long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
    return -1;
}

// A capture device behind the pacing that has every frame at once.
class InstantCapture final : public platform::PcmStream {
  public:
    long readFrames(int16_t*, long count) override { return count; }
    long writeFrames(const int16_t*, long) override { return -1; }
    long available() override { return 0; }
    int prepare() override { return 0; }
    int start() override { return 0; }
    int drop() override { return 0; }
    int drain() override { return 0; }
    int setPeriodHandler(std::function<void()>) override { return 0; }
};

size_t lateLines(const testing_support::CapturedLog& log) {
    size_t count = 0;
    for (const std::string& line : log.lines(platform::LogChannel::Trace))
        count += line.starts_with("sim: capture read ");
    return count;
}

// A capture thread held up elsewhere is told once per absence, with how long
// its sound waited; the reads that catch up after it are not.
TEST(SimSound, ACaptureReaderThatWasAwayIsToldOnce) {
    testing_support::TestStation station;
    platform::PacedPcm capture(std::make_unique<InstantCapture>(), station.works.platform->clock());
    std::vector<int16_t> chunk(2 * 480);
    for (int read = 0; read < 10; ++read) capture.readFrames(chunk.data(), 480);
    EXPECT_EQ(lateLines(station.log), 0u) << "on time";
    auto& clock = dynamic_cast<platform::ManualClock&>(station.works.platform->clock());
    clock.advance(std::chrono::milliseconds(510));
    for (int read = 0; read < 60; ++read) capture.readFrames(chunk.data(), 480);
    ASSERT_EQ(lateLines(station.log), 1u);
    EXPECT_TRUE(station.log.contains("sim: capture read 500 ms late"));
    clock.advance(std::chrono::milliseconds(40));
    capture.readFrames(chunk.data(), 480);
    EXPECT_EQ(lateLines(station.log), 1u) << "40 ms: a scheduling hiccup, not an absence";
    clock.advance(std::chrono::milliseconds(200));
    capture.readFrames(chunk.data(), 480);
    EXPECT_EQ(lateLines(station.log), 2u);
}

// Capture runs for the whole life of the station, client or not: like a real
// device, the simulated one keeps its sound in a buffer of a fixed size
// instead of one that fills page by page as the hours pass.
TEST(SimSound, CaptureKeepsItsMemoryWhileItRuns) {
    testing_support::TestStation station;
    platform::PcmFailure failure;
    std::unique_ptr<platform::PcmStream> capture = station.machine().sound().openCapture("hw:1", 2, failure);
    ASSERT_TRUE(capture);
    std::vector<int16_t> chunk(2 * 480);
    // A few seconds first: whatever a real device's buffer holds is resident by then.
    for (int read = 0; read < 500; ++read) ASSERT_EQ(capture->readFrames(chunk.data(), 480), 480);
    const long before = residentKb();
    // Half a minute of sound: 5.8 MB through the device.
    for (int read = 0; read < 3000; ++read) ASSERT_EQ(capture->readFrames(chunk.data(), 480), 480);
    EXPECT_LT(residentKb() - before, 1024);
}

}  // namespace
