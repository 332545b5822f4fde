#include "web/line_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace sim::web {
namespace {

class Socket {
  public:
    Socket() : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (fd_ >= 0) ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    [[nodiscard]] int fd() const { return fd_; }

  private:
    int fd_;
};

ChannelAnswer failure(const std::string& what) {
    return {false, what + ": " + std::strerror(errno)};
}

}  // namespace

ChannelAnswer askChannel(const std::string& socketPath, const std::string& line, int timeoutMs) {
    sockaddr_un address{};
    if (socketPath.size() >= sizeof address.sun_path) return {false, "socket path too long: " + socketPath};
    Socket socket;
    if (socket.fd() < 0) return failure("socket");
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    if (::connect(socket.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return failure(socketPath);
    const std::string request = line + "\n";
    if (::send(socket.fd(), request.data(), request.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(request.size()))
        return failure(socketPath);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string answer;
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd entry{socket.fd(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0)
            return {false, socketPath + ": no answer within " + std::to_string(timeoutMs) + " ms"};
        ssize_t count = ::read(socket.fd(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return {false, socketPath + ": closed without an answer"};
        answer.append(buffer, static_cast<size_t>(count));
        if (size_t end = answer.find('\n'); end != std::string::npos) {
            answer.resize(end);
            return {true, answer};
        }
    }
}

}  // namespace sim::web
