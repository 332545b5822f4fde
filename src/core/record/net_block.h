#pragma once
// The LAN check's part of the shared record.
#include <atomic>
#include <cstdint>
#include <ctime>

namespace core {

struct NetBlock {
    std::atomic<uint8_t> lanCheckRunning{0};
    std::atomic<std::time_t> lanCheckTime{0};
    // Software update: 1 a newer version is offered, 2 it needs the firmware
    // version availFwMajor.availFwMinor first; the result of the last update run
    std::atomic<int32_t> updateAvailable{0}, availFwMajor{0}, availFwMinor{0}, updateResult{0};
    // The LAN addresses as the settings menu edits them, most significant octet first
    std::atomic<uint8_t> IP_v[4]{}, NetMask_v[4]{}, Gateway_v[4]{}, DNS_v[4]{};
};

}  // namespace core
