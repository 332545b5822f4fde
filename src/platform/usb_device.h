#pragma once
// The USB side of the transceiver as the IQ reader needs it: the device list,
// opening and claiming interface 0, vendor control requests from the device,
// and bulk IN transfers whose completions run on the thread that handles
// events. The target uses libusb-1.0; the simulated station a generated IQ
// stream.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace platform {

struct UsbDeviceIds {
    uint16_t vendor = 0, product = 0;
};

enum class UsbTransferStatus { Completed, Error, TimedOut, Cancelled, Stall, NoDevice, Overflow };

class UsbDevice {
  public:
    // A finished transfer: its index, its status, the bytes it brought.
    using Completion =
        std::function<void(int index, UsbTransferStatus status, std::span<const uint8_t> data)>;

    virtual ~UsbDevice() = default;

    // 0, or the library's error code.
    virtual int initialise() = 0;
    // Nothing when the list cannot be read.
    virtual std::optional<std::vector<UsbDeviceIds>> devices() = 0;
    [[nodiscard]] virtual bool open(size_t listIndex) = 0;
    [[nodiscard]] virtual bool kernelDriverActive() = 0;
    [[nodiscard]] virtual bool detachKernelDriver() = 0;
    [[nodiscard]] virtual bool claimInterface() = 0;
    // A vendor request, device to host; the bytes read or a negative error.
    virtual int controlIn(uint8_t request, uint16_t value, uint16_t index, std::span<uint8_t> reply) = 0;
    // count bulk IN transfers on endpoint, each with its own buffer of bytes.
    [[nodiscard]] virtual bool allocateTransfers(int count, uint8_t endpoint, size_t bytes,
                                                 unsigned timeoutMs, Completion completion) = 0;
    // 0, or the library's error code.
    virtual int submit(int index) = 0;
    // Runs the completions that are due; 0, or the library's error code.
    virtual int handleEvents() = 0;
    virtual void close() = 0;
};

// handleEvents' result when a signal interrupted it; not a fault.
inline constexpr int kUsbInterrupted = -10;

}  // namespace platform
