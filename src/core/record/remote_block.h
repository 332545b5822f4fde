#pragma once
// Remote operation's part of the shared record.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "core/record/frame_queue.h"
#include "core/shared_text.h"

struct OpusEncoder;
struct OpusDecoder;

namespace platform {
class SerialPort;
}

namespace core {

struct Works;

// failedThread: the device thread whose port could not be opened or set up
// (its message in failedThreadText), 0 for none.
inline constexpr int32_t kFailedLinear = 1;
inline constexpr int32_t kFailedCatSerial = 2;

struct RemoteBlock {
    // 1 while the connected client is authenticated.
    std::atomic<int32_t> wsActive{0};
    // 1 when the connected client logged in with a masked frame (a browser):
    // frames to it carry their lengths in the shortest form, as browsers require.
    std::atomic<uint8_t> clientMasks{0};
    // The frames on their way to the connected client. About three seconds of
    // raw sound, or many more of the rest: enough for the network's hiccups;
    // a client further behind is let go.
    FrameQueue clientFrames{{.bytes = 512 * 1024, .frames = 2048}};
    // The descriptors of the CAT and auxiliary ports, for the log; -1 while
    // closed. The client's CAT text ("CA") goes to catPort, its auxiliary-link
    // data ("SC", "PA") to the radio's auxPort.
    std::atomic<int32_t> catFD{-1}, serFD{-1};
    // The transceiver's CAT port that answered (catFD names it), null while
    // none is held. It closes when the last holder lets go: the bridge reads
    // it while other threads may drop it.
    std::atomic<std::shared_ptr<platform::SerialPort>> catPort;
    // Set when the client asks for another jitter depth, so the playback ring is rebuilt.
    std::atomic<uint8_t> buffersChanged{0};
    // The playback ring, published by the playback thread once its device is
    // configured. Its indices are shared without a lock by the WebSocket
    // thread (chunks in), the device's period handler (periods out) and the
    // playback thread (set-up): sndWriteIdx is a chunk slot, sndReadIdx a
    // 48-frame period, sndPrefill minus the chunks still to collect.
    std::atomic<int16_t*> playRing{nullptr};
    std::atomic<int32_t> sndWriteIdx{0}, sndReadIdx{0}, sndPlaying{0}, sndPrefill{0}, playbackReady{0};
    // 1 while the CAT bridge has found its port and runs.
    std::atomic<int32_t> status_cat{0};
    std::atomic<uint8_t> remoteFault{0}, remoteChecked{0};
    OpusEncoder* opusEncoder = nullptr;
    OpusDecoder* opusDecoder = nullptr;
    // The capture thread encodes while the WebSocket thread may set the bit rate.
    std::mutex opusEncoderMutex;
    std::atomic<int32_t> failedThread{0};
    SharedText<100> failedThreadText;
    // Drive power for the maker's transceiver; powerRequest bit 0: send it, bit 1: sent
    std::atomic<int32_t> powerValue{0};
    std::atomic<uint8_t> powerRequest{0};
};

}  // namespace core
