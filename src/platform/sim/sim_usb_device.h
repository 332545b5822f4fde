#pragma once
// The transceiver's USB side in the simulated station: the supported model
// behind a root hub, its version, serial and calibration replies, and an IQ
// stream of known tones over noise, delivered buffer by buffer at the
// device's rate through the same completion path as the real transfers.
#include <array>
#include <vector>

#include "platform/clock.h"
#include "platform/usb_device.h"

namespace platform {

struct SimTone {
    double offsetHz;  // from the centre of the band
    double levelDb;   // relative to full scale
};

class SimUsbDevice final : public UsbDevice {
  public:
    // Complex samples a second; one 32 KB buffer holds 4096 of them.
    static constexpr double kSampleRate = 192000.0;
    // On bin centres of a 4096-point transform (bins 257 and -641), bins the
    // wide line keeps.
    static constexpr std::array<SimTone, 2> kTones{{{12046.875, -20.0}, {-30046.875, -40.0}}};
    static constexpr double kNoiseDb = -110.0;
    // The calibration that makes full scale 0 dB: recalc is 1 with the low-pass off.
    static constexpr float kGlobalOffset = 21.4f, kLowPassOffset = 1.5f, kAttenuatorOffset = 10.0f;

    explicit SimUsbDevice(Clock& clock) : clock_(clock) {}

    int initialise() override { return 0; }
    std::optional<std::vector<UsbDeviceIds>> devices() override;
    [[nodiscard]] bool open(size_t listIndex) override { return listIndex == 1; }
    [[nodiscard]] bool kernelDriverActive() override { return false; }
    [[nodiscard]] bool detachKernelDriver() override { return true; }
    [[nodiscard]] bool claimInterface() override { return true; }
    int controlIn(uint8_t request, uint16_t value, uint16_t index, std::span<uint8_t> reply) override;
    [[nodiscard]] bool allocateTransfers(int count, uint8_t endpoint, size_t bytes, unsigned timeoutMs,
                                         Completion completion) override;
    int submit(int index) override;
    int handleEvents() override;
    void close() override {}

  private:
    void fill(std::vector<uint8_t>& buffer);

    Clock& clock_;
    Completion completion_;
    std::vector<std::vector<uint8_t>> buffers_;
    std::vector<int> queue_;  // submitted transfers, oldest first
    Clock::TimePoint nextDue_{};
    bool streaming_ = false;
    uint64_t sample_ = 0;
    uint32_t noise_ = 12345;
};

}  // namespace platform
