#pragma once
// Remote operation's part of the shared record.
#include <atomic>
#include <cstdint>

#include "core/shared_text.h"

struct OpusEncoder;
struct OpusDecoder;

namespace core {

struct Works;

struct RemoteBlock {
    std::atomic<int32_t> wsSocket{-1};
    std::atomic<uint8_t> remoteFault{0}, remoteChecked{0};
    OpusEncoder* opusEncoder = nullptr;
    OpusDecoder* opusDecoder = nullptr;
    std::atomic<int32_t> failedThread{0};
    SharedText<100> failedThreadText;
    // Drive power for the maker's transceiver; powerRequest bit 0: send it, bit 1: sent
    std::atomic<int32_t> powerValue{0};
    std::atomic<uint8_t> powerRequest{0};
    // The remote prerequisites, installed by remote operation so that the
    // settings menu does not depend on it; null until then. The transceiver
    // check returns 0 all present, 1 not on USB, 2 its CAT port silent, 3 its
    // audio device missing; the audio check the count of its audio devices.
    int (*findRemoteSettings)(Works& works) = nullptr;
    int (*getAudioQOR)(Works& works) = nullptr;
};

}  // namespace core
