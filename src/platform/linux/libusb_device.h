#pragma once
// The transceiver's USB side through libusb-1.0.
#include <libusb-1.0/libusb.h>

#include <memory>
#include <vector>

#include "platform/usb_device.h"

namespace platform {

class LibusbDevice final : public UsbDevice {
  public:
    LibusbDevice() = default;
    ~LibusbDevice() override;

    int initialise() override;
    std::optional<std::vector<UsbDeviceIds>> devices() override;
    [[nodiscard]] bool open(size_t listIndex) override;
    [[nodiscard]] bool kernelDriverActive() override;
    [[nodiscard]] bool detachKernelDriver() override;
    [[nodiscard]] bool claimInterface() override;
    int controlIn(uint8_t request, uint16_t value, uint16_t index, std::span<uint8_t> reply) override;
    [[nodiscard]] bool allocateTransfers(int count, uint8_t endpoint, size_t bytes, unsigned timeoutMs,
                                         Completion completion) override;
    int submit(int index) override;
    int handleEvents() override;
    void close() override;

  private:
    struct Slot {
        LibusbDevice* owner = nullptr;
        int index = 0;
        libusb_transfer* transfer = nullptr;
        std::vector<uint8_t> buffer;
    };
    static void LIBUSB_CALL completed(libusb_transfer* transfer);
    void freeList();

    libusb_context* context_ = nullptr;
    libusb_device** list_ = nullptr;
    ssize_t listSize_ = 0;
    libusb_device_handle* handle_ = nullptr;
    std::vector<std::unique_ptr<Slot>> slots_;
    Completion completion_;
};

}  // namespace platform
