#pragma once
// The transceiver links' part of the shared record.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {
class SerialPort;
}

namespace core {

struct SpectrumRecord;

// The maker's transceiver's state as its auxiliary link reports it.
using QorParams = std::array<int32_t, 52>;

// The words of QorParams read outside the link's decoder.
namespace qorWord {
// Byte 0 bit 6 of a parameter block: 1 while the transceiver transmits.
inline constexpr size_t Transmit = 0;
inline constexpr size_t ActiveFrequency = 3;
// 1 while the transceiver takes audio, -1 when it has disabled it.
inline constexpr size_t AudioEnable = 22;
inline constexpr size_t LowPass = 39;
// The transceiver's antenna: above 0 the amplifier input to use; 0 or below, none.
inline constexpr size_t AntennaInput = 40;
}  // namespace qorWord

struct RadioBlock {
    // The FT-817 CAT port, negative while it is not open.
    std::atomic<int32_t> catSerFD{-1};
    // The transceiver's auxiliary port (serFD names it), null until a run of
    // its thread has opened and set it up. Once open it stays open for the
    // whole run, so the remote client's data reaches the transceiver whichever
    // run reads it; the client's writes hold it while a failed set-up drops it.
    std::atomic<std::shared_ptr<platform::SerialPort>> auxPort;
    // Guarded by serMut.
    QorParams qorParams{};
    // The FT-817's frequency as last decoded, in Hz.
    std::atomic<int32_t> catSerialFreq{0};
    // The transceiver's spectrum lines; owned by main, guarded by serMut.
    SpectrumRecord* spectrum = nullptr;
};

}  // namespace core
