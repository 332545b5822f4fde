#include "radio/usb_iq_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "core/error_codes.h"
#include "core/errors.h"
#include "platform/sim/sim_usb_device.h"
#include "platform/usb_ids.h"
#include "test_station.h"

namespace {

using platform::UsbTransferStatus;
using testing_support::TestStation;

// The simulated device with its device list and submissions under the test's control.
class ScriptedUsb : public platform::UsbDevice {
  public:
    explicit ScriptedUsb(platform::Clock& clock) : sim(clock) {}
    platform::SimUsbDevice sim;
    std::vector<platform::UsbDeviceIds> list{{0x1D6B, 2},
                                             {platform::QorUsbVendorId, platform::QorUsbProductId}};
    std::vector<int> submitted;
    bool closed = false;

    int initialise() override { return 0; }
    std::optional<std::vector<platform::UsbDeviceIds>> devices() override { return list; }
    bool open(size_t) override { return true; }
    bool kernelDriverActive() override { return false; }
    bool detachKernelDriver() override { return true; }
    bool claimInterface() override { return true; }
    int controlIn(uint8_t request, uint16_t value, uint16_t index, std::span<uint8_t> reply) override {
        return sim.controlIn(request, value, index, reply);
    }
    bool allocateTransfers(int count, uint8_t endpoint, size_t bytes, unsigned timeoutMs,
                           Completion completion) override {
        return sim.allocateTransfers(count, endpoint, bytes, timeoutMs, std::move(completion));
    }
    int submit(int index) override {
        submitted.push_back(index);
        return sim.submit(index);
    }
    int handleEvents() override { return sim.handleEvents(); }
    void close() override { closed = true; }
};

struct ReaderTest : ::testing::Test {
    ReaderTest() {
        works.serMut = &serMut;
        works.running = 1;
        works.setup->EnableFFT = '1';
        works.setup->enaUsbFFT = '1';
        works.setup->Enable1600 = '1';
        works.Divide = 1;
        works.wsActive = 1;
        core::InitErrorDescriptors(works);
        works.errorsHeld = 0;
    }
    core::TryMutex serMut;
    TestStation station;
    core::Works& works = station.works;
    ScriptedUsb usb{works.platform->clock()};
    std::vector<uint8_t> buffer = std::vector<uint8_t>(radio::kIqTransferBytes);
};

TEST_F(ReaderTest, FindsTheModelOrEndsWithError5) {
    struct Case {
        std::vector<platform::UsbDeviceIds> list;
        bool works;
        const char* logged;
    } cases[] = {
        {{{0x1D6B, 2}, {platform::QorUsbVendorId, platform::QorUsbProductId}}, true, "Device caught"},
        {{{0x1D6B, 2}}, false, "Cannot find VYX Device"},
        {{{platform::QorUsbVendorId, platform::QorUsbOtherModelIds[1]}}, false, "VYX-R"},
    };
    for (const Case& c : cases) {
        station.log.clear();
        works.setup->EnableFFT = '1';
        core::DeleteErrore(works, core::err::RemoteUsb);
        ScriptedUsb device(works.platform->clock());
        device.list = c.list;
        radio::UsbIqReader reader(works, device);
        EXPECT_EQ(reader.setUp(), c.works) << c.logged;
        EXPECT_TRUE(station.log.contains(c.logged)) << c.logged;
        if (c.works) {
            EXPECT_EQ(device.submitted, (std::vector<int>{0, 1, 2, 3}));
            EXPECT_FLOAT_EQ(reader.amplitudeFactor(), 1.0f);
            continue;
        }
        radio::ExitQorread(works, device, reader.opened());
        EXPECT_EQ(works.setup->EnableFFT, '0');
        EXPECT_EQ(works.remoteFault, 1);
        EXPECT_EQ(core::ExistError(works, core::err::RemoteUsb), 1);
        EXPECT_EQ(device.closed, reader.opened());
    }
}

TEST_F(ReaderTest, OneSpectrumEveryDivideBuffersWhileAClientIsThere) {
    struct Case {
        int divide, wsActive, buffers, spectra;
    } cases[] = {{4, 1, 12, 3}, {1, 1, 5, 5}, {0, 1, 3, 3}, {-2, 1, 3, 3}, {4, 0, 12, 0}};
    for (const Case& c : cases) {
        works.Divide = c.divide;
        works.wsActive = c.wsActive;
        radio::UsbIqReader reader(works, usb);
        ASSERT_TRUE(reader.setUp());
        for (int i = 0; i < c.buffers; ++i) reader.cb_in(i % 4, UsbTransferStatus::Completed, buffer);
        EXPECT_EQ(reader.spectraMade(), c.spectra) << c.divide << " " << c.wsActive;
    }
}

TEST_F(ReaderTest, ElevenFailedTransfersInARowStopTheStream) {
    radio::UsbIqReader reader(works, usb);
    ASSERT_TRUE(reader.setUp());
    usb.submitted.clear();
    for (int i = 0; i < 10; ++i) reader.cb_in(0, UsbTransferStatus::TimedOut, {});
    EXPECT_EQ(reader.errors(), 10);
    reader.cb_in(0, UsbTransferStatus::Completed, buffer);
    EXPECT_EQ(reader.errors(), 0) << "a success resets the count";
    EXPECT_EQ(usb.submitted.size(), 11u) << "every transfer went out again";
    for (int i = 0; i < 11; ++i) reader.cb_in(1, UsbTransferStatus::Stall, {});
    EXPECT_EQ(reader.errors(), 11);
    EXPECT_EQ(usb.submitted.size(), 21u) << "the eleventh is left idle";
    EXPECT_TRUE(station.log.contains("CB result: Stalled 1"));
    EXPECT_TRUE(station.log.contains("libusb_err_counter (11)"));
    reader.run();  // ends at once
}

TEST_F(ReaderTest, TheSimulatedStreamShowsItsTonesAtTheDeviceRate) {
    struct Case {
        char enable1600;
        size_t length;
    } cases[] = {{'1', 1706}, {'0', 854}};
    for (const Case& c : cases) {
        works.setup->Enable1600 = c.enable1600;
        platform::SimUsbDevice device(works.platform->clock());
        radio::UsbIqReader reader(works, device);
        ASSERT_TRUE(reader.setUp());
        const auto start = works.platform->clock().now();
        while (works.platform->clock().now() - start < std::chrono::seconds(1)) {
            (void)device.handleEvents();
            works.platform->clock().sleepFor(std::chrono::milliseconds(1));
        }
        // 192000 complex samples a second, 4096 to a buffer.
        EXPECT_NEAR(reader.spectraMade(), 47, 1);
        std::span<const uint8_t> line = reader.lastLine();
        ASSERT_EQ(line.size(), c.length);
        if (c.enable1600 == '1') {
            // Bins 257 and -641 of 4096 at -20 and -40 dB full scale, 2.88 dB of window loss.
            EXPECT_NEAR(line[(257 + 2048 - 341) / 2], -22 + 192, 1);
            EXPECT_NEAR(line[(4096 - 641 - 2048 - 341) / 2], -42 + 192, 1);
        }
    }
}

}  // namespace
