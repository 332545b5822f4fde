#include "platform/linux/libusb_device.h"

namespace platform {
namespace {

constexpr uint8_t kVendorDeviceToHost = 0xC0;

UsbTransferStatus statusOf(libusb_transfer_status status) {
    switch (status) {
        case LIBUSB_TRANSFER_COMPLETED:
            return UsbTransferStatus::Completed;
        case LIBUSB_TRANSFER_TIMED_OUT:
            return UsbTransferStatus::TimedOut;
        case LIBUSB_TRANSFER_CANCELLED:
            return UsbTransferStatus::Cancelled;
        case LIBUSB_TRANSFER_STALL:
            return UsbTransferStatus::Stall;
        case LIBUSB_TRANSFER_NO_DEVICE:
            return UsbTransferStatus::NoDevice;
        case LIBUSB_TRANSFER_OVERFLOW:
            return UsbTransferStatus::Overflow;
        default:
            return UsbTransferStatus::Error;
    }
}

}  // namespace

LibusbDevice::~LibusbDevice() {
    close();
    for (auto& slot : slots_) libusb_free_transfer(slot->transfer);
    freeList();
    if (context_ != nullptr) libusb_exit(context_);
}

int LibusbDevice::initialise() {
    int result = libusb_init(&context_);
    if (result == 0) libusb_set_option(context_, LIBUSB_OPTION_LOG_LEVEL, LIBUSB_LOG_LEVEL_INFO);
    return result;
}

std::optional<std::vector<UsbDeviceIds>> LibusbDevice::devices() {
    freeList();
    listSize_ = libusb_get_device_list(context_, &list_);
    if (listSize_ < 0) return std::nullopt;
    std::vector<UsbDeviceIds> ids;
    for (ssize_t i = 0; i < listSize_; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(list_[i], &descriptor) != 0) return std::nullopt;
        ids.push_back({descriptor.idVendor, descriptor.idProduct});
    }
    return ids;
}

bool LibusbDevice::open(size_t listIndex) {
    bool opened = static_cast<ssize_t>(listIndex) < listSize_ && libusb_open(list_[listIndex], &handle_) == 0;
    freeList();
    return opened;
}

bool LibusbDevice::kernelDriverActive() {
    return libusb_kernel_driver_active(handle_, 0) == 1;
}

bool LibusbDevice::detachKernelDriver() {
    return libusb_detach_kernel_driver(handle_, 0) == 0;
}

bool LibusbDevice::claimInterface() {
    return libusb_claim_interface(handle_, 0) == 0;
}

int LibusbDevice::controlIn(uint8_t request, uint16_t value, uint16_t index, std::span<uint8_t> reply) {
    return libusb_control_transfer(handle_, kVendorDeviceToHost, request, value, index, reply.data(),
                                   static_cast<uint16_t>(reply.size()), 0);
}

bool LibusbDevice::allocateTransfers(int count, uint8_t endpoint, size_t bytes, unsigned timeoutMs,
                                     Completion completion) {
    completion_ = std::move(completion);
    for (int i = 0; i < count; ++i) {
        auto slot = std::make_unique<Slot>();
        slot->owner = this;
        slot->index = i;
        slot->buffer.resize(bytes);
        slot->transfer = libusb_alloc_transfer(0);
        if (slot->transfer == nullptr) return false;
        libusb_fill_bulk_transfer(slot->transfer, handle_, endpoint, slot->buffer.data(),
                                  static_cast<int>(bytes), completed, slot.get(), timeoutMs);
        slots_.push_back(std::move(slot));
    }
    return true;
}

void LIBUSB_CALL LibusbDevice::completed(libusb_transfer* transfer) {
    auto* slot = static_cast<Slot*>(transfer->user_data);
    slot->owner->completion_(slot->index, statusOf(transfer->status),
                             {transfer->buffer, static_cast<size_t>(transfer->actual_length)});
}

int LibusbDevice::submit(int index) {
    return libusb_submit_transfer(slots_[static_cast<size_t>(index)]->transfer);
}

int LibusbDevice::handleEvents() {
    return libusb_handle_events_completed(context_, nullptr);
}

void LibusbDevice::close() {
    if (handle_ != nullptr) libusb_close(handle_);
    handle_ = nullptr;
}

void LibusbDevice::freeList() {
    if (list_ != nullptr) libusb_free_device_list(list_, 1);
    list_ = nullptr;
    listSize_ = 0;
}

}  // namespace platform
