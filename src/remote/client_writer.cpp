#include "remote/client_writer.h"

#include <pthread.h>
#include <sys/socket.h>

#include <cerrno>
#include <span>

#include "core/works.h"
#include "platform/log.h"
#include "remote/frame_builder.h"

namespace remote {
namespace {

// How long one send may wait for the client to make room (the server sets
// the same for the handshake's answer; the writer does not rely on it).
constexpr timeval kSendLimit{0, 500000};
// The socket's own buffer stays small (the system doubles it): a client
// falling behind then shows in the queue, which is bounded, instead of in
// megabytes of socket buffer that would let it hold the connection for minutes.
constexpr int kSocketBuffer = 64 * 1024;

enum class Sent { Whole, NotReading, Failed };

// Each send waits at most the send time-out; a half-sent frame is finished
// while the queue still takes frames, since the client reads on, however slowly.
Sent sendWhole(const core::FrameQueue& queue, int fd, std::span<const uint8_t> frame, int& error) {
    while (!frame.empty()) {
        const ssize_t sent = ::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            frame = frame.subspan(static_cast<size_t>(sent));
            if (!frame.empty() && !queue.taking()) return Sent::NotReading;
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        error = sent < 0 ? errno : 0;
        return sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) ? Sent::NotReading : Sent::Failed;
    }
    return Sent::Whole;
}

}  // namespace

ClientWriter::ClientWriter(core::Works& works, int fd) : works_(works), fd_(fd) {
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &kSendLimit, sizeof kSendLimit);
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSocketBuffer, sizeof kSocketBuffer);
    works.clientFrames.open();
    thread_ = std::thread([this] { run(); });
    pthread_setname_np(thread_.native_handle(), "WsWriter");
}

ClientWriter::~ClientWriter() {
    works_.clientFrames.finish();
    thread_.join();
}

void ClientWriter::run() {
    core::FrameQueue& queue = works_.clientFrames;
    while (std::optional<core::FrameQueue::Frame> frame = queue.pop()) {
        if (works_.clientMasks != 0) shortestLengthForm(*frame);
        int error = 0;
        const Sent sent = sendWhole(queue, fd_, *frame, error);
        if (sent == Sent::Whole) continue;
        // Not once the connection has ended (its last frames go out only if they
        // can) or its queue has overflowed (that is told already).
        if (queue.taking() && sent == Sent::NotReading)
            platform::logError("client not reading: connection ended");
        if (queue.taking() && sent == Sent::Failed)
            platform::logError("TCP write Error %d: connection ended", error);
        queue.close();
        break;
    }
    ::shutdown(fd_, SHUT_RDWR);
}

}  // namespace remote
