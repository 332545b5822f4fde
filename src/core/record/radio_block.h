#pragma once
// The transceiver links' part of the shared record.
#include <atomic>
#include <cstdint>

namespace core {

struct RadioBlock {
    // The FT-817 CAT port, negative while it is not open.
    std::atomic<int32_t> catSerFD{-1};
};

}  // namespace core
