#include "radio/usb_iq_reader.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/error_codes.h"
#include "core/errors.h"
#include "core/record/radio_record.h"
#include "core/record/setup_record.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "platform/usb_ids.h"
#include "remote/frame_writers.h"

namespace radio {
namespace {

using platform::UsbTransferStatus;

constexpr uint8_t kVersionRequest = 0xFF, kMemoryRequest = 0xA2, kFifoRequest = 0xE1;
constexpr uint16_t kMemoryIndex = 0x0151;
constexpr uint16_t kHardwareVersion = 0x404C, kSerialNumber = 0x4000, kGlobalOffset = 0x4028,
                   kLowPassOffset = 0x402C, kAttenuatorOffset = 0x4030;
constexpr uint16_t kStopFifo = 0xE900, kInitFifo = 0xE800;
constexpr uint8_t kStreamEnabled = 0xE9;
constexpr uint8_t kIqEndpoint = 0x86;
constexpr unsigned kTransferTimeoutMs = 2000;
// Word of the transceiver's parameter record: the low-pass setting, above 0 when on.

const char* statusText(UsbTransferStatus status) {
    switch (status) {
        case UsbTransferStatus::TimedOut:
            return "CB result: Timedout %d\n";
        case UsbTransferStatus::Cancelled:
            return "CB result: Cancelled %d\n";
        case UsbTransferStatus::Stall:
            return "CB result: Stalled %d\n";
        case UsbTransferStatus::NoDevice:
            return "CB result: Nodevice %d\n";
        case UsbTransferStatus::Overflow:
            return "CB result: Overflowed %d\n";
        default:
            return "CB result: Error %d\n";
    }
}

}  // namespace

UsbIqReader::UsbIqReader(core::RadioRecord& works, platform::UsbDevice& device)
    : works_(works), device_(device), samples_(kIqTransferBytes / 4) {}

bool UsbIqReader::stopping() const {
    return works_.running == 0 || works_.setup->EnableFFT != '1';
}

bool UsbIqReader::findDevice() {
    std::optional<std::vector<platform::UsbDeviceIds>> devices = device_.devices();
    if (!devices) {
        platform::logError("Get Device Error\n");
        return false;
    }
    for (size_t i = 0; i < devices->size(); ++i) {
        const platform::UsbDeviceIds ids = (*devices)[i];
        platform::logInfo("%d vid %04x pid %04x %d\n", static_cast<int>(i), ids.vendor, ids.product,
                          static_cast<int>(devices->size()));
        if (ids.vendor != platform::QorUsbVendorId) continue;
        if (!device_.open(i)) {
            platform::logError("Cannot open VYX Device\n");
            return false;
        }
        status_usb_open = true;
        platform::logInfo("VYX Device Opened\n");
        if (device_.kernelDriverActive()) {
            platform::logInfo("Kernel Driver Active\n");
            if (device_.detachKernelDriver()) platform::logInfo("Kernel Driver Detached\n");
        }
        if (!device_.claimInterface()) {
            platform::logError("Cannot claim Interface\n");
            return false;
        }
        platform::logInfo("Interface claimed\n");
        uint8_t version[2]{};
        if (device_.controlIn(kVersionRequest, 0, 0, version) == 2)
            platform::logInfo("USB Driver Version: %d.%d\n", version[0], version[1]);
        else
            platform::logInfo("USB Driver Version read failed\n");
        if (device_.controlIn(kMemoryRequest, kHardwareVersion, kMemoryIndex, version) == 2)
            platform::logInfo("HW Version: %d.%d\n", version[0], version[1]);
        else
            platform::logInfo("HW Version read failed\n");
        char serial[33]{};
        int read = device_.controlIn(kMemoryRequest, kSerialNumber, kMemoryIndex,
                                     {reinterpret_cast<uint8_t*>(serial), 32});
        if (read != 32) {
            platform::logError("Serial read failed (%d)", read);
            return false;
        }
        if (ids.product == platform::QorUsbProductId) platform::logInfo("%s\n", platform::QorUsbModelName);
        for (size_t other = 0; other < platform::QorUsbOtherModelIds.size(); ++other) {
            if (ids.product != platform::QorUsbOtherModelIds[other]) continue;
            platform::logError("%s\n", platform::QorUsbOtherModelNames[other]);
            return false;
        }
        platform::logInfo("Serial: %-s\n", serial);
        platform::logInfo("Device caught\n");
        return true;
    }
    platform::logError("Cannot find VYX Device\n");
    return false;
}

bool UsbIqReader::readCalibration() {
    struct Offset {
        uint16_t address;
        float* value;
        const char* failure;
        const char* shown;
    } offsets[] = {
        {kGlobalOffset, &globalOffset, "Global Offset failed (%d)\n", "Global Offset: %f\n"},
        {kLowPassOffset, &lpOffset, "LP Offset failed (%d)\n", "LP Offset: %f\n"},
        {kAttenuatorOffset, &attOffset, "ATT Offset failed (%d)\n", "ATT Offset: %f\n"},
    };
    for (const Offset& offset : offsets) {
        uint8_t bytes[4]{};
        int read = device_.controlIn(kMemoryRequest, offset.address, kMemoryIndex, bytes);
        if (read != 4) {
            platform::logError(offset.failure, read);
            return false;
        }
        std::memcpy(offset.value, bytes, sizeof bytes);
        platform::logInfo(offset.shown, static_cast<double>(*offset.value));
    }
    return true;
}

void UsbIqReader::startStream() {
    uint8_t reply[1]{};
    int result = device_.controlIn(kFifoRequest, 0, kStopFifo, reply);
    platform::logInfo(result == 1 ? "Stop FIFO\n" : "Stop FIFO failed (%d)\n", result);
    result = device_.controlIn(kFifoRequest, 0, kInitFifo, reply);
    platform::logInfo(result == 1 ? "Init FIFO\n" : "Init FIFO failed (%d)\n", result);
    reply[0] = 0;
    result = device_.controlIn(kFifoRequest, 1, kStopFifo, reply);
    if (result != 1 || reply[0] != kStreamEnabled)
        platform::logError("Enable SYN failed (%d %02X)\n", result, reply[0]);
    platform::logInfo("SYN Enabled\n");
}

bool UsbIqReader::startTransfers() {
    auto completion = [this](int index, UsbTransferStatus status, std::span<const uint8_t> data) {
        cb_in(index, status, data);
    };
    if (!device_.allocateTransfers(kIqTransfers, kIqEndpoint, kIqTransferBytes, kTransferTimeoutMs,
                                   completion)) {
        platform::logError("libusb_alloc_transfer failed\n");
        return false;
    }
    platform::logInfo("libusb_alloc_transfer succedeed\n");
    for (int i = 0; i < kIqTransfers; ++i) {
        int result = device_.submit(i);
        if (result != 0) {
            platform::logError("libusb_submit_transfer failed (%d)\n", result);
            return false;
        }
    }
    platform::logInfo("libusb_submit_transfer succedeed\n");
    platform::logInfo("SYN transfer starting\n");
    return true;
}

bool UsbIqReader::setUp() {
    platform::logInfo("Operations init qelt-comms version 1.0\n");
    platform::trace("Operations init qelt-comms version 1.0\n");
    if (int result = device_.initialise(); result != 0) {
        platform::logError("Init Error %d\n", result);
        return false;
    }
    if (!findDevice() || !readCalibration()) return false;
    startStream();
    return startTransfers();
}

void UsbIqReader::run() {
    while (!stopping() && err_counter < kIqErrorLimit) {
        int result = device_.handleEvents();
        if (result != 0 && result != platform::kUsbInterrupted) {
            std::printf("%d.", result);
            std::fflush(stdout);
        }
        works_.platform->clock().sleepFor(std::chrono::milliseconds(1));
    }
    platform::logInfo("libusb_handle events completed (%d)\n", err_counter);
    platform::logInfo("%s Operations end\n", "QORRead");
}

void UsbIqReader::cb_in(int index, UsbTransferStatus status, std::span<const uint8_t> data) {
    if (status == UsbTransferStatus::Completed) {
        err_counter = 0;
        if (works_.setup->enaUsbFFT != '0') {
            int32_t lowPass = 0;
            if (const core::TryLock lock(*works_.serMut, works_.platform->clock(),
                                         "serMut mutex cannot be locked");
                lock)
                lowPass = works_.qorParams[core::qorWord::LowPass];
            recalc = std::pow(10.0f, (21.4f - globalOffset + (lowPass > 0 ? lpOffset : 0.0f)) / 20.0f);
            const size_t count = std::min(data.size() / 4, samples_.size());
            for (size_t i = 0; i < count; ++i) {
                int32_t sample;
                std::memcpy(&sample, data.data() + 4 * i, sizeof sample);
                samples_[i] = static_cast<float>(sample) * recalc / 2 / 1024 / 1024 / 1024;
            }
            if (--divide <= 0) {
                // A Divide below 1 would never count down to a spectrum again.
                divide = std::max(1, works_.Divide.load());
                if (works_.wsActive == 1) fftCalc({samples_.data(), static_cast<size_t>(kIqSamples)});
            }
        }
    } else {
        platform::logError(statusText(status), index);
        ++err_counter;
    }
    if (err_counter >= kIqErrorLimit) {
        platform::logError("libusb_err_counter (%d), %s:%d\n", err_counter, __FILE__, __LINE__);
        return;
    }
    if (stopping()) return;
    if (int result = device_.submit(index); result != 0) {
        platform::logError("libusb_submit_transfer failed (%d)  %s:%d\n", result, __FILE__, __LINE__);
        ExitQorread(works_, device_, status_usb_open);
        status_usb_open = false;
    }
}

void UsbIqReader::fftCalc(std::span<const float> samples) {
    lastLine_ = fft_.compute(samples, works_.setup->Enable1600 == '1');
    ++spectraMade_;
    if (works_.wsActive == 1) remote::sendWebSockSerSpectrFrame(works_, lastLine_);
}

void ExitQorread(core::RadioRecord& works, platform::UsbDevice& device, bool opened) {
    core::AddErrore(works, core::err::RemoteUsb);
    works.setup->EnableFFT = '0';
    works.remoteFault = 1;
    if (opened) device.close();
}

void QORRead(core::RadioRecord& works) {
    std::unique_ptr<platform::UsbDevice> device = works.platform->usbDevice();
    UsbIqReader reader(works, *device);
    if (reader.setUp()) reader.run();
    ExitQorread(works, *device, reader.opened());
}

}  // namespace radio
