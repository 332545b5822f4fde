#include "platform/sim/sim_usb_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/usb_ids.h"

namespace platform {
namespace {

constexpr uint8_t kVersionRequest = 0xFF, kMemoryRequest = 0xA2, kFifoRequest = 0xE1;

template <typename T>
int copyReply(const T& value, std::span<uint8_t> reply) {
    size_t count = std::min(sizeof value, reply.size());
    std::memcpy(reply.data(), &value, count);
    return static_cast<int>(count);
}

}  // namespace

std::optional<std::vector<UsbDeviceIds>> SimUsbDevice::devices() {
    return std::vector<UsbDeviceIds>{{0x1D6B, 0x0002}, {QorUsbVendorId, QorUsbProductId}};
}

int SimUsbDevice::controlIn(uint8_t request, uint16_t value, uint16_t index, std::span<uint8_t> reply) {
    if (request == kVersionRequest) return copyReply(std::array<uint8_t, 2>{1, 0}, reply);
    if (request == kFifoRequest) {
        if (value == 1) streaming_ = true;
        return copyReply(static_cast<uint8_t>(value == 1 ? 0xE9 : 0x00), reply);
    }
    if (request != kMemoryRequest || index != 0x0151) return -1;
    switch (value) {
        case 0x404C:
            return copyReply(std::array<uint8_t, 2>{2, 1}, reply);
        case 0x4000: {
            std::array<char, 32> serial{};
            std::memcpy(serial.data(), "SIM-VYX-000001", 14);
            return copyReply(serial, reply);
        }
        case 0x4028:
            return copyReply(kGlobalOffset, reply);
        case 0x402C:
            return copyReply(kLowPassOffset, reply);
        case 0x4030:
            return copyReply(kAttenuatorOffset, reply);
        default:
            return -1;
    }
}

bool SimUsbDevice::allocateTransfers(int count, uint8_t, size_t bytes, unsigned, Completion completion) {
    completion_ = std::move(completion);
    buffers_.assign(static_cast<size_t>(count), std::vector<uint8_t>(bytes));
    return true;
}

int SimUsbDevice::submit(int index) {
    if (queue_.empty()) nextDue_ = clock_.now();
    queue_.push_back(index);
    return 0;
}

int SimUsbDevice::handleEvents() {
    while (streaming_ && !queue_.empty()) {
        const int index = queue_.front();
        std::vector<uint8_t>& buffer = buffers_[static_cast<size_t>(index)];
        const auto period = std::chrono::duration_cast<Clock::Duration>(
            std::chrono::duration<double>(static_cast<double>(buffer.size() / 8) / kSampleRate));
        if (clock_.now() < nextDue_ + period) return 0;
        nextDue_ += period;
        queue_.erase(queue_.begin());
        fill(buffer);
        completion_(index, UsbTransferStatus::Completed, buffer);
    }
    return 0;
}

void SimUsbDevice::fill(std::vector<uint8_t>& buffer) {
    const double fullScale = 2147483647.0;
    const double noise = std::pow(10.0, kNoiseDb / 20.0);
    for (size_t at = 0; at + 8 <= buffer.size(); at += 8, ++sample_) {
        double i = 0, q = 0;
        for (const SimTone& tone : kTones) {
            const double amplitude = std::pow(10.0, tone.levelDb / 20.0);
            const double phase =
                2 * std::numbers::pi * tone.offsetHz * static_cast<double>(sample_) / kSampleRate;
            i += amplitude * std::cos(phase);
            q += amplitude * std::sin(phase);
        }
        for (double* part : {&i, &q}) {
            noise_ = noise_ * 1664525u + 1013904223u;
            *part += noise * (static_cast<double>(noise_) / 4294967296.0 - 0.5);
        }
        const int32_t pair[2] = {static_cast<int32_t>(i * fullScale), static_cast<int32_t>(q * fullScale)};
        std::memcpy(buffer.data() + at, pair, sizeof pair);
    }
}

}  // namespace platform
