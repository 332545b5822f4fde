#include "remote/frame_writers.h"

#include <opus.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/log.h"
#include "platform/platform.h"
#include "remote/frame_builder.h"
#include "remote/status_record.h"

namespace remote {
namespace {

using std::chrono::microseconds;

// One frame in one call under wsMutex; the write's result, or -1 when the
// lock was not had (lockFailure is logged then) or no client is connected.
ssize_t writeFrame(core::Works& works, const std::vector<uint8_t>& frame, const char* lockFailure) {
    platform::Clock& clock = works.platform->clock();
    clock.sleepFor(microseconds(10));
    if (!works.wsMutex->lock(clock, lockFailure)) return -1;
    const int fd = works.wsSocket;
    const ssize_t written = fd > 0 ? ::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL) : -1;
    const bool stalled = fd > 0 && written >= 0 && written < static_cast<ssize_t>(frame.size());
    if (stalled || (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))) {
        // The client has stopped reading: a frame cut short would break its
        // stream, and waiting on would hold every writer, the panel's tick
        // among them. Its reader then ends the connection.
        platform::logError("client not reading: connection ended");
        ::shutdown(fd, SHUT_RDWR);
    }
    works.wsMutex->unlock();
    return written;
}

bool authenticated(core::Works& works) {
    return works.wsActive != 0;
}

bool connected(core::Works& works) {
    return works.wsSocket > 0;
}

void sendShortFrames(core::Works& works, std::string_view code, std::span<const uint8_t> data,
                     const char* lockFailure) {
    if (!authenticated(works)) return;
    for (const std::vector<uint8_t>& frame : shortFrames(code, data)) writeFrame(works, frame, lockFailure);
}

}  // namespace

void sendWebSockStatusFrame(core::Works& works, std::span<const uint8_t> data) {
    if (authenticated(works)) writeFrame(works, shortFrame("ST", data), "mutex cannot be locked d");
}

void sendWebSockCatFrame(core::Works& works, std::span<const uint8_t> data) {
    sendShortFrames(works, "CA", data, "mutex cannot be locked e");
}

void sendWebSockSerParFrame(core::Works& works, std::span<const uint8_t> data) {
    sendShortFrames(works, "PA", data, "mutex cannot be locked c");
}

void sendWebSockCfgFrame(core::Works& works, std::span<const uint8_t> data) {
    if (connected(works)) writeFrame(works, shortFrame("CF", data), "mutex cannot be locked cfgframe -1 10");
}

void sendWebSockHebFrame(core::Works& works, std::span<const uint8_t> client) {
    if (!connected(works)) return;
    const auto sinceEpoch =
        std::chrono::duration_cast<microseconds>(works.platform->clock().systemTime().time_since_epoch());
    const auto seconds = static_cast<uint32_t>(sinceEpoch.count() / 1000000);
    const auto micros = static_cast<uint32_t>(sinceEpoch.count() % 1000000);
    writeFrame(works, heartbeatFrame(seconds, micros, client), "mutex cannot be locked hebframe -1 10");
}

void sendWebSockSerSpectrFrame(core::Works& works, std::span<const uint8_t> spectrum) {
    if (!authenticated(works)) return;
    for (size_t offset = 0; offset < spectrum.size(); offset += kSpectrumChunk) {
        if (writeFrame(works, spectrumChunk(spectrum, static_cast<uint32_t>(offset)),
                       "mutex cannot be locked a") < 0)
            return;
    }
}

void sendWebSockAudioFrame(core::Works& works, std::span<const int16_t> chunk) {
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
    const ssize_t written = writeFrame(works, longFrame("SO", data), "mutex cannot be locked h");
    if (written != length + 6)
        platform::logError("rc(%d) != length+6(%d)", static_cast<int>(written), length + 6);
}

void sendStatusToClient(core::Works& works) {
    if (!authenticated(works)) return;
    const StatusRecord record = CreaBufferDiStato(works);
    sendWebSockStatusFrame(works, std::span(reinterpret_cast<const uint8_t*>(record.data()), record.size()));
}

}  // namespace remote
