#pragma once
// The USB IQ reader: finds the transceiver on USB, reads its calibration,
// starts its IQ stream and keeps four bulk transfers in flight. Every
// Divide-th completed buffer, while a remote client is authenticated, becomes
// a spectrum line for it.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/usb_device.h"
#include "radio/spectrum_fft.h"

namespace core {
struct RadioRecord;
}  // namespace core

namespace radio {

inline constexpr int kIqTransfers = 4;
inline constexpr size_t kIqTransferBytes = 32768;
inline constexpr int kIqSamples = 8192;
// This many failed transfers in a row stop the stream.
inline constexpr int kIqErrorLimit = 11;

class UsbIqReader {
  public:
    UsbIqReader(core::RadioRecord& works, platform::UsbDevice& device);

    // Discovery, calibration, stream start and the first submissions; false
    // after a fatal failure, which is logged.
    bool setUp();
    // Handles the device's events while EnableFFT is '1' and the stream has not failed.
    void run();
    // A finished transfer: scale its samples, maybe make a spectrum, submit it again.
    void cb_in(int index, platform::UsbTransferStatus status, std::span<const uint8_t> data);
    // One spectrum line from samples, to the authenticated client.
    void fftCalc(std::span<const float> samples);

    [[nodiscard]] bool opened() const { return status_usb_open; }
    [[nodiscard]] int errors() const { return err_counter; }
    [[nodiscard]] float amplitudeFactor() const { return recalc; }
    [[nodiscard]] const SpectrumFft& spectrum() const { return fft_; }
    [[nodiscard]] int spectraMade() const { return spectraMade_; }
    [[nodiscard]] std::span<const uint8_t> lastLine() const { return lastLine_; }

  private:
    bool findDevice();
    bool readCalibration();
    void startStream();
    bool startTransfers();
    [[nodiscard]] bool stopping() const;

    core::RadioRecord& works_;
    platform::UsbDevice& device_;
    bool status_usb_open = false;
    float globalOffset = 0, lpOffset = 0, attOffset = 0, recalc = 1;
    int err_counter = 0;
    int divide = 1;
    std::vector<float> samples_;
    SpectrumFft fft_;
    int spectraMade_ = 0;
    std::span<const uint8_t> lastLine_;
};

// The common end: error 5, EnableFFT off, the remote marked faulty, the device closed.
void ExitQorread(core::RadioRecord& works, platform::UsbDevice& device, bool opened);

// Thread body.
void QORRead(core::RadioRecord& works);

}  // namespace radio
