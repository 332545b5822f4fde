#pragma once
// The LAN settings, the LAN check's part of the shared record and the
// service pages' hooks.
#include <atomic>
#include <cstdint>
#include <ctime>

#include "core/record/radio_block.h"
#include "core/shared_text.h"

namespace core {

struct Works;

struct NetBlock {
    std::atomic<uint8_t> lanCheckRunning{0};
    std::atomic<std::time_t> lanCheckTime{0};
    // The status program's status line, "No Conn" until it answers
    SharedText<32> lanStatusText;
    // Software update: 1 a newer version is offered, 2 it needs the firmware
    // version availFwMajor.availFwMinor first; the result of the last update run
    std::atomic<int32_t> updateAvailable{0}, availFwMajor{0}, availFwMinor{0}, updateResult{0};
    // The update script's output line before its error line; "0" before a run
    SharedText<128> updateErrorText;
    // The LAN settings as read from the interfaces file
    SharedText<32> IP, NetMask, Gateway, DNS, MAC;
    // 1 when the file has no gateway, no DNS server
    std::atomic<uint8_t> Gateway_none{0}, DNS_none{0};
    // The LAN addresses as the settings menu edits them, most significant octet first
    std::atomic<uint8_t> IP_v[4]{}, NetMask_v[4]{}, Gateway_v[4]{}, DNS_v[4]{};
};

}  // namespace core
