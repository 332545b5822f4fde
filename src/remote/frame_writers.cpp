#include "remote/frame_writers.h"

#include <opus.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string_view>
#include <vector>

#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "remote/frame_builder.h"
#include "remote/status_record.h"

namespace remote {
namespace {

using Needs = core::FrameQueue::Needs;

// False when the connection did not take the frame.
bool queueFrame(core::AmpRecord& works, std::vector<uint8_t> frame, Needs needs) {
    const core::FrameQueue::Push pushed = works.clientFrames.push(std::move(frame), needs);
    if (pushed == core::FrameQueue::Push::Overflow)
        platform::logError("client not reading: connection ended (more than %zu frames or %zu bytes waiting)",
                           works.clientFrames.limits().frames, works.clientFrames.limits().bytes);
    return pushed == core::FrameQueue::Push::Queued;
}

bool authenticated(core::AmpRecord& works) {
    return works.wsActive != 0;
}

void sendShortFrames(core::AmpRecord& works, std::string_view code, std::span<const uint8_t> data) {
    if (!authenticated(works)) return;
    for (std::vector<uint8_t>& frame : shortFrames(code, data))
        if (!queueFrame(works, std::move(frame), Needs::Login)) return;
}

}  // namespace

void sendWebSockStatusFrame(core::AmpRecord& works, std::span<const uint8_t> data) {
    if (authenticated(works)) queueFrame(works, shortFrame("ST", data), Needs::Login);
}

void sendWebSockCatFrame(core::AmpRecord& works, std::span<const uint8_t> data) {
    sendShortFrames(works, "CA", data);
}

void sendWebSockSerParFrame(core::AmpRecord& works, std::span<const uint8_t> data) {
    sendShortFrames(works, "PA", data);
}

void sendWebSockCfgFrame(core::AmpRecord& works, std::span<const uint8_t> data) {
    queueFrame(works, shortFrame("CF", data), Needs::Handshake);
}

void sendWebSockHebFrame(core::AmpRecord& works, std::span<const uint8_t> client) {
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::microseconds>(
        works.platform->clock().systemTime().time_since_epoch());
    const auto seconds = static_cast<uint32_t>(sinceEpoch.count() / 1000000);
    const auto micros = static_cast<uint32_t>(sinceEpoch.count() % 1000000);
    queueFrame(works, heartbeatFrame(seconds, micros, client), Needs::Handshake);
}

void sendWebSockSerSpectrFrame(core::AmpRecord& works, std::span<const uint8_t> spectrum) {
    if (!authenticated(works)) return;
    for (size_t offset = 0; offset < spectrum.size(); offset += kSpectrumChunk)
        if (!queueFrame(works, spectrumChunk(spectrum, static_cast<uint32_t>(offset)), Needs::Login)) return;
}

void sendWebSockAudioFrame(core::AmpRecord& works, std::span<const int16_t> chunk) {
    if (!authenticated(works)) return;
    const size_t frames =
        std::min(static_cast<size_t>(std::max(works.captureFrames.load(), 0)), chunk.size() / 2);
    const size_t rawBytes = frames * 2 * sizeof(int16_t);
    std::vector<uint8_t> data(rawBytes);
    int length = static_cast<int>(rawBytes);
    if (works.txBitrate == 0 || works.opusEncoder == nullptr) {
        std::memcpy(data.data(), chunk.data(), rawBytes);
    } else {
        std::lock_guard lock(works.opusEncoderMutex);
        length = opus_encode(works.opusEncoder, chunk.data(), static_cast<int>(frames), data.data(),
                             static_cast<opus_int32>(rawBytes));
        if (length < 0) {
            platform::trace("encode failed: %s\n", opus_strerror(length));
            return;
        }
    }
    if (length <= 0) return;
    data.resize(static_cast<size_t>(length));
    queueFrame(works, longFrame("SO", data), Needs::Login);
}

void sendStatusToClient(core::Works& works) {
    if (!authenticated(works)) return;
    const StatusRecord record = CreaBufferDiStato(works);
    sendWebSockStatusFrame(works, std::span(reinterpret_cast<const uint8_t*>(record.data()), record.size()));
}

}  // namespace remote
