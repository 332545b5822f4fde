#pragma once
// The LAN check's part of the shared record.
#include <atomic>
#include <cstdint>
#include <ctime>

namespace core {

struct NetBlock {
    std::atomic<uint8_t> lanCheckRunning{0};
    std::atomic<std::time_t> lanCheckTime{0};
};

}  // namespace core
