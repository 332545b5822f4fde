#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "test_station.h"

namespace {

// The resident memory of this process, in kB.
long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
    return -1;
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
