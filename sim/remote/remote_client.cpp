#include "sim/remote/remote_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <glib.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>

#include "remote/frame_builder.h"
#include "remote/handshake.h"
#include "remote/status_record.h"

namespace remote_client {
namespace {

constexpr int kHeartbeatMs = 300;
constexpr int kRefusedRetryMs = 200;

using Deadline = std::chrono::steady_clock::time_point;

// What is left until the deadline, rounded up so that a wait of it reaches the deadline.
int millisecondsUntil(Deadline deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

// connect(2) that gives up at the deadline (errno ETIMEDOUT).
bool connectBy(int fd, const sockaddr_in& address, Deadline deadline) {
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int error = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? 0 : errno;
    if (error == EINPROGRESS) {
        pollfd ready{fd, POLLOUT, 0};
        if (::poll(&ready, 1, millisecondsUntil(deadline)) <= 0) {
            error = ETIMEDOUT;
        } else {
            socklen_t size = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
        }
    }
    ::fcntl(fd, F_SETFL, flags);
    errno = error;
    return error == 0;
}

std::string noAnswer(const Endpoint& endpoint) {
    char text[160];
    std::snprintf(text, sizeof text, "no answer from the station within %g s: it serves one client at a time",
                  std::chrono::duration<double>(endpoint.connectTimeout).count());
    return text;
}

std::vector<uint8_t> textFrame(const std::string& text) {
    std::random_device random;
    const uint8_t key[4] = {static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                            static_cast<uint8_t>(random()), static_cast<uint8_t>(random())};
    std::vector<uint8_t> frame = {0x81, static_cast<uint8_t>(text.size()), key[0], key[1], key[2], key[3]};
    for (size_t i = 0; i < text.size(); ++i) frame.push_back(static_cast<uint8_t>(text[i]) ^ key[i % 4]);
    return frame;
}

std::string requestFor(const Endpoint& endpoint, const std::string& key) {
    return "GET / HTTP/1.1\r\nHost: " + endpoint.host + ":" + std::to_string(endpoint.port) +
           "\r\nUpgrade: websocket\r\nConnection: keep-alive, Upgrade\r\nSec-WebSocket-Key: " + key +
           "\r\nSec-WebSocket-Version: 13\r\nSec-WebSocket-Protocol: chat\r\n\r\n";
}

// 16 random bytes in Base64.
std::string newKey() {
    std::random_device random;
    guchar bytes[16];
    for (guchar& byte : bytes) byte = static_cast<guchar>(random());
    gchar* encoded = g_base64_encode(bytes, sizeof bytes);
    std::string key(encoded);
    g_free(encoded);
    return key;
}

void putWord(std::vector<uint8_t>& out, int32_t value) {
    remote::putBigEndian32(out, static_cast<uint32_t>(value));
}

}  // namespace

RemoteClient::~RemoteClient() {
    close();
}

std::string RemoteClient::connect(const Endpoint& endpoint) {
    const Deadline deadline = std::chrono::steady_clock::now() + endpoint.connectTimeout;
    sockaddr_in from{};
    from.sin_family = AF_INET;
    if (!endpoint.from.empty() && inet_pton(AF_INET, endpoint.from.c_str(), &from.sin_addr) != 1)
        return "bad --from address";
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (inet_pton(AF_INET, endpoint.host.c_str(), &address.sin_addr) != 1) return "bad host address";
    address.sin_port = htons(endpoint.port);
    const std::string where = endpoint.host + ":" + std::to_string(endpoint.port);
    // A station that is starting listens only once its start-up is done: a refused connection
    // is tried again until the time-out.
    for (;;) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd_ < 0) return "socket failed";
        if (!endpoint.from.empty() && ::bind(fd_, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0)
            return "cannot bind --from";
        if (connectBy(fd_, address, deadline)) break;
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        if (error == ETIMEDOUT) return noAnswer(endpoint);
        if (error != ECONNREFUSED) return "cannot connect to " + where + ": " + std::strerror(error);
        if (millisecondsUntil(deadline) <= kRefusedRetryMs) {
            char text[200];
            std::snprintf(
                text, sizeof text,
                "connection refused: nothing listens on %s within %g s (is the station running, past "
                "its start-up, and is this the TcpPort of its setup file?)",
                where.c_str(), std::chrono::duration<double>(endpoint.connectTimeout).count());
            return text;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kRefusedRetryMs));
    }
    const std::string key = newKey();
    const std::string request = requestFor(endpoint, key);
    if (!sendRaw({reinterpret_cast<const uint8_t*>(request.data()), request.size()}))
        return "request not sent";
    // The reply ends with an empty line; read it a byte at a time so no frame is taken with it.
    std::string reply;
    uint8_t byte;
    while (!reply.ends_with("\r\n\r\n")) {
        if (!readExactly(&byte, 1, millisecondsUntil(deadline)))
            return std::chrono::steady_clock::now() >= deadline
                       ? noAnswer(endpoint)
                       : "the station closed the connection before answering the handshake";
        reply.push_back(static_cast<char>(byte));
    }
    if (!reply.starts_with("HTTP/1.1 101"))
        return "handshake refused: the answer is no WebSocket upgrade (is this the station's TcpPort?)";
    if (reply.find("Sec-WebSocket-Accept: " + remote::acceptValue(key) + "\r\n") == std::string::npos)
        return "wrong accept value";
    return {};
}

bool RemoteClient::login(const std::string& passPhrase) {
    if (passPhrase.size() > 125 || !sendRaw(textFrame(passPhrase))) return false;
    beating_ = true;
    heartbeat_ = std::thread([this] { heartbeat(); });
    return true;
}

void RemoteClient::heartbeat() {
    while (beating_) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::vector<uint8_t> data;
        const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
        putWord(data, static_cast<int32_t>(micros / 1000000));
        putWord(data, static_cast<int32_t>(micros % 1000000));
        if (!sendBinary("HB", data)) return;
        for (int waited = 0; waited < kHeartbeatMs && beating_; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool RemoteClient::sendCommand(const std::string& text) {
    return sendBinary("ST", {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

bool RemoteClient::sendCat(const std::string& text) {
    return sendBinary("CA", {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

bool RemoteClient::sendAudioConfig(int32_t txBitrate, int32_t rxCoding, int32_t captureMicroseconds,
                                   int32_t playbackMicroseconds, int32_t bufferChunks) {
    std::vector<uint8_t> data = {0, 0};
    for (int32_t value : {txBitrate, rxCoding, captureMicroseconds, playbackMicroseconds, bufferChunks})
        putWord(data, value);
    return sendBinary("CF", data);
}

bool RemoteClient::sendBinary(const std::string& code, std::span<const uint8_t> data) {
    return sendRaw(messageFrame(code, data));
}

std::vector<uint8_t> messageFrame(const std::string& code, std::span<const uint8_t> data) {
    // The station takes audio (and spectrum) only in the long form: a short
    // Opus packet, such as a quiet chunk's, would be dropped there.
    const bool longOnly = code == "SO" || code == "SP";
    return !longOnly && data.size() <= remote::kShortData ? remote::shortFrame(code, data)
                                                          : remote::longFrame(code, data);
}

bool RemoteClient::sendRaw(std::span<const uint8_t> bytes) {
    std::lock_guard lock(writeMutex_);
    while (!bytes.empty()) {
        const ssize_t written = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (written <= 0) return false;
        bytes = bytes.subspan(static_cast<size_t>(written));
    }
    return true;
}

bool RemoteClient::readExactly(uint8_t* into, size_t count, int timeoutMs) {
    while (count > 0) {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, timeoutMs) <= 0) return false;
        const ssize_t got = ::recv(fd_, into, count, 0);
        if (got <= 0) {
            closed_ = true;
            return false;
        }
        into += got;
        count -= static_cast<size_t>(got);
    }
    return true;
}

std::optional<Received> RemoteClient::receive(int timeoutMs) {
    uint8_t head[4];
    if (!readExactly(head, 2, timeoutMs)) return std::nullopt;
    size_t length = head[1];
    if (head[1] == 126) {
        if (!readExactly(head + 2, 2, timeoutMs)) return std::nullopt;
        length = static_cast<size_t>(head[2]) << 8 | head[3];
    }
    if (length < 2) return std::nullopt;
    std::vector<uint8_t> payload(length);
    if (!readExactly(payload.data(), length, timeoutMs)) return std::nullopt;
    return Received{std::string(payload.begin(), payload.begin() + 2), {payload.begin() + 2, payload.end()}};
}

void RemoteClient::close() {
    beating_ = false;
    if (heartbeat_.joinable()) heartbeat_.join();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::string whySessionEnded(bool loggedIn, bool closedByStation, int waitedMs) {
    const std::string silence = "the station sent nothing for " + std::to_string(waitedMs) + " ms";
    if (loggedIn) return closedByStation ? "connection ended by the station" : silence;
    // The station answers every heartbeat even before the pass phrase is taken: a closed connection
    // without a status record is its refusal, which it does not explain on the wire.
    if (closedByStation)
        return "refused: the station closed the connection after the pass phrase: a wrong pass phrase, or "
               "none set on the station (the Passphrase line of its setup file)";
    return "no status record: " + silence + " after the pass phrase";
}

std::string describeStatus(std::span<const uint8_t> record) {
    if (record.size() != remote::kStatusRecordSize) return "ST (" + std::to_string(record.size()) + " bytes)";
    const auto field = [&](size_t from, size_t count) {
        return std::string(reinterpret_cast<const char*>(record.data()) + from, count);
    };
    const std::string versions = field(43, 14);
    // '0' without errors, else the last error's code plus one as a raw byte.
    const std::string error = record[42] == '0' ? "none" : std::to_string(record[42] - 1);
    char line[256];
    std::snprintf(line, sizeof line,
                  "ST band=%s mode=%s att=%s ant=%s bypass=%s tuner=%s tune=%s swr=%s fwd=%s in=%s temp=%s "
                  "volt=%s amp=%s bank=%s error=%s version=%s",
                  field(0, 4).c_str(), field(4, 1).c_str(), field(5, 1).c_str(), field(6, 1).c_str(),
                  field(7, 1).c_str(), field(8, 1).c_str(), field(9, 1).c_str(), field(10, 6).c_str(),
                  field(16, 6).c_str(), field(22, 6).c_str(), field(28, 4).c_str(), field(32, 4).c_str(),
                  field(36, 4).c_str(), field(40, 2).c_str(), error.c_str(), versions.c_str());
    return line;
}

}  // namespace remote_client
