#pragma once
// The transceiver links' part of the shared record.
#include <array>
#include <atomic>
#include <cstdint>

namespace core {

struct Works;

struct RadioBlock {
    // The FT-817 CAT port, negative while it is not open.
    std::atomic<int32_t> catSerFD{-1};
    // The maker's transceiver's state as its auxiliary link reports it, 52
    // words; guarded by serMut.
    std::array<int32_t, 52> qorParams{};
    // Installed by the transceiver layer, called by the main loop each tick: a
    // copy of qorParams taken under serMut; false, nothing copied, when the
    // lock was not obtained.
    bool (*getParameters)(std::array<int32_t, 52>& destination, Works& works) = nullptr;
};

}  // namespace core
