// The auxiliary port on a pseudo-terminal, its reader thread on real time.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "config/setup_file.h"
#include "core/error_codes.h"
#include "core/errors.h"
#include "core/flag_bits.h"
#include "core/threads.h"
#include "fake_serial_port.h"
#include "platform/sim/scaled_clock.h"
#include "radio/aux_serial.h"
#include "remote/frame_builder.h"
#include "remote/frame_reader.h"
#include "remote/message_dispatch.h"
#include "sim/amp/emulator_pty.h"
#include "test_station.h"

namespace {

// The remote client's "SC" data on its way to the transceiver's port.
void sendScMessage(core::Works& works, const std::string& text) {
    const std::vector<uint8_t> bytes =
        remote::shortFrame("SC", std::vector<uint8_t>(text.begin(), text.end()));
    remote::Frame frame;
    std::copy(bytes.begin(), bytes.end(), frame.bytes.begin());
    frame.size = bytes.size();
    remote::DroppedNotes notes;
    EXPECT_EQ(remote::dispatchMessage(works, frame, notes), remote::Dispatch::Continue);
}

// What reaches the radio's end of the port within a second.
std::string radioReads(const sim::PtyLink& radio, size_t count) {
    std::string read;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (read.size() < count && std::chrono::steady_clock::now() < deadline) {
        pollfd end{radio.master(), POLLIN, 0};
        if (::poll(&end, 1, 50) <= 0) continue;
        char bytes[64];
        const ssize_t got = ::read(radio.master(), bytes, sizeof bytes);
        if (got > 0) read.append(bytes, static_cast<size_t>(got));
    }
    return read;
}

TEST(AuxSerialPort, StaysOpenForTheRemoteClientWhenItsThreadEnds) {
    testing_support::TestStation station(
        std::make_unique<platform::ScaledClock>(1.0));  // a real thread reads the port
    core::Works& works = station.works;
    config::resetSetupRecord(*works.setup);  // the port at /dev/QELTSER
    core::TryMutex serMut;
    works.serMut = &serMut;
    works.running = 1;
    sim::PtyLink radio;
    std::string error;
    ASSERT_TRUE(radio.open(station.path("/dev/QELTSER").string(), error)) << error;
    station.threads.setBody(core::ThreadId::Serial, [](core::Works& record) { radio::Serial(record); });
    for (int run = 0; run < 2; ++run) {
        works.setup->enaser = '1';
        core::StartThreadQOR(works);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (works.serFD < 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_GE(works.serFD, 0) << "run " << run;
        const int32_t port = works.serFD;
        // Another interface type is chosen: the thread ends, the port stays.
        works.setup->enaser = '0';
        station.threads.join(core::ThreadId::Serial);
        EXPECT_EQ(works.serFD, port) << "run " << run;
        sendScMessage(works, "FA;");
        EXPECT_EQ(radioReads(radio, 3), "FA;") << "run " << run;
    }
    EXPECT_FALSE(station.log.contains("message dropped"));
}

}  // namespace
