#pragma once
// A remote connection driven byte by byte from the test's own thread, for
// what the real client never does: a request or a frame cut anywhere, a
// connection reset, a pass phrase never sent, a client that never reads.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "remote/frame_builder.h"

namespace testing_support {

class RawRemoteConnection {
  public:
    struct Message {
        std::string code;
        std::vector<uint8_t> data;
    };

    // Connects from the local address `from` to the station's port on the
    // loopback address, waiting at most `limit` for a place in its queue.
    RawRemoteConnection(int port, const std::string& from, std::chrono::milliseconds limit,
                        int receiveBuffer = 0)
        : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, from.c_str(), &local.sin_addr);
        // Before connecting, so that the window offered to the station is this small.
        if (receiveBuffer > 0) setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            close();
            return;
        }
        sockaddr_in station{};
        station.sin_family = AF_INET;
        station.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        station.sin_port = htons(static_cast<uint16_t>(port));
        const int flags = ::fcntl(fd_, F_GETFL);
        ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
        int error = ::connect(fd_, reinterpret_cast<sockaddr*>(&station), sizeof station) == 0 ? 0 : errno;
        if (error == EINPROGRESS) {
            pollfd ready{fd_, POLLOUT, 0};
            error = ETIMEDOUT;
            if (::poll(&ready, 1, static_cast<int>(limit.count())) == 1) {
                socklen_t size = sizeof error;
                ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size);
            }
        }
        ::fcntl(fd_, F_SETFL, flags);
        if (error != 0) close();
    }
    ~RawRemoteConnection() { close(); }
    RawRemoteConnection(const RawRemoteConnection&) = delete;
    RawRemoteConnection& operator=(const RawRemoteConnection&) = delete;

    [[nodiscard]] bool connected() const { return fd_ >= 0; }
    // True once a receive found the connection closed by the station.
    [[nodiscard]] bool ended() const { return ended_; }

    // Whole, or false.
    bool send(std::span<const uint8_t> bytes) {
        while (!bytes.empty()) {
            const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent <= 0) return false;
            bytes = bytes.subspan(static_cast<size_t>(sent));
        }
        return true;
    }
    bool send(std::string_view text) {
        return send({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    }

    // The request the station answers, with the key of the WebSocket standard's example.
    static std::string request() {
        return "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: keep-alive, "
               "Upgrade\r\n"
               "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n"
               "Sec-WebSocket-Protocol: chat\r\n\r\n";
    }
    // Sends the request and reads the reply to its empty line; true when it is the upgrade.
    bool handshake(int timeoutMs) {
        if (!send(request())) return false;
        std::string reply;
        uint8_t byte = 0;
        while (!reply.ends_with("\r\n\r\n")) {
            if (!readExactly(&byte, 1, timeoutMs)) return false;
            reply.push_back(static_cast<char>(byte));
        }
        return reply.starts_with("HTTP/1.1 101");
    }

    // The pass phrase as the station's dialect sends it: a text frame with a mask key.
    static std::vector<uint8_t> passPhraseFrame(std::string_view text) {
        const uint8_t key[4] = {0x5a, 0x13, 0xc4, 0x7e};
        std::vector<uint8_t> frame = {0x81,  static_cast<uint8_t>(text.size()), key[0], key[1], key[2],
                                      key[3]};
        for (size_t i = 0; i < text.size(); ++i) frame.push_back(static_cast<uint8_t>(text[i]) ^ key[i % 4]);
        return frame;
    }
    static std::vector<uint8_t> heartbeatFrame() {
        const uint8_t stamp[8] = {0, 0, 0, 1, 0, 0, 0, 2};
        return remote::shortFrame("HB", stamp);
    }

    // The station's next message, or nothing when none came within the time
    // or the connection ended (ended() tells which).
    std::optional<Message> receive(int timeoutMs) {
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
        return Message{std::string(payload.begin(), payload.begin() + 2),
                       {payload.begin() + 2, payload.end()}};
    }
    // Messages until one of this code arrives within the time; false when the
    // connection ended or the time passed first. While it waits it sends a
    // heartbeat every 300 ms, as the real client does, so that the station's
    // read time-out does not end the connection meanwhile.
    bool receiveUntil(const std::string& code, int timeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd ready{fd_, POLLIN, 0};
            if (::poll(&ready, 1, 300) != 1) {
                if (!send(heartbeatFrame())) return false;
                continue;
            }
            const std::optional<Message> message = receive(timeoutMs);
            if (!message) return false;
            if (message->code == code) return true;
        }
        return false;
    }

    // An orderly end: the station reads the end of the stream.
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    // An abortive end, as a client that crashed or lost its network: the station's next read or write fails.
    void reset() {
        const linger abort{1, 0};
        if (fd_ >= 0) setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        close();
    }

  private:
    bool readExactly(uint8_t* into, size_t count, int timeoutMs) {
        while (count > 0) {
            pollfd ready{fd_, POLLIN, 0};
            if (::poll(&ready, 1, timeoutMs) != 1) return false;
            const ssize_t got = ::recv(fd_, into, count, 0);
            if (got <= 0) {
                ended_ = true;
                return false;
            }
            into += got;
            count -= static_cast<size_t>(got);
        }
        return true;
    }

    int fd_;
    bool ended_ = false;
};

}  // namespace testing_support
