#include "sim/common/line_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace sim {

LineChannel::LineChannel(const std::string& socketPath) : path_(socketPath) {
    sockaddr_un address{};
    if (path_.size() >= sizeof address.sun_path) {
        failure_ = "socket path too long: " + path_;
        return;
    }
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
    if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        failure_ = path_ + ": " + std::strerror(errno);
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
}

LineChannel::~LineChannel() {
    if (fd_ >= 0) ::close(fd_);
}

ChannelAnswer LineChannel::ask(const std::string& line, int timeoutMs) {
    if (fd_ < 0) return {false, failure_};
    const std::string request = line + "\n";
    if (::send(fd_, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()))
        return {false, path_ + ": " + std::strerror(errno)};

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[4096];
    for (;;) {
        if (size_t end = pending_.find('\n'); end != std::string::npos) {
            std::string answer = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return {true, answer};
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd entry{fd_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0)
            return {false, path_ + ": no answer within " + std::to_string(timeoutMs) + " ms"};
        const ssize_t count = ::read(fd_, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return {false, path_ + ": closed without an answer"};
        pending_.append(buffer, static_cast<size_t>(count));
    }
}

ChannelAnswer askChannel(const std::string& socketPath, const std::string& line, int timeoutMs) {
    return LineChannel(socketPath).ask(line, timeoutMs);
}

}  // namespace sim
