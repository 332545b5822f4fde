#include "platform/sim/line_socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace platform {
namespace fs = std::filesystem;
namespace {

// How often a waiting server looks at its stop flag.
constexpr std::chrono::milliseconds kStopLook{100};

using SteadyClock = std::chrono::steady_clock;

// Whether fd has `events` before `deadline`; a set stop flag ends the wait.
bool awaitReady(int fd, short events, SteadyClock::time_point deadline, const std::atomic<bool>* stop) {
    for (;;) {
        if (stop != nullptr && *stop) return false;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
        if (left.count() <= 0) return false;
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(std::min(left, kStopLook).count()));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

}  // namespace

int listenForLines(const std::string& path, std::string& error) {
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) {
        error = path + ": path too long for a socket";
        return -1;
    }
    std::error_code ignored;
    fs::create_directories(fs::path(path).parent_path(), ignored);
    const fs::file_status status = fs::symlink_status(path, ignored);
    if (fs::is_socket(status)) {
        fs::remove(path, ignored);
    } else if (fs::exists(status)) {
        error = path + " exists and is not a socket";
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0) {
        error = path + ": " + std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return -1;
    }
    return fd;
}

LineCutter::Cut LineCutter::next(std::string& line) {
    const size_t end = pending_.find('\n');
    if (skipping_) {
        if (end == std::string::npos) {
            pending_.clear();
            return Cut::None;
        }
        pending_.erase(0, end + 1);
        skipping_ = false;
        return next(line);
    }
    if (end == std::string::npos) {
        if (pending_.size() <= longest_) return Cut::None;
        pending_.clear();
        skipping_ = true;
        return Cut::Overlong;
    }
    if (end > longest_) {
        pending_.erase(0, end + 1);
        return Cut::Overlong;
    }
    line.assign(pending_, 0, end);
    pending_.erase(0, end + 1);
    return Cut::Line;
}

bool sendWhole(int fd, std::string_view text, std::chrono::milliseconds wait) {
    const SteadyClock::time_point deadline = SteadyClock::now() + wait;
    while (!text.empty()) {
        const ssize_t sent = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            text.remove_prefix(static_cast<size_t>(sent));
        } else if (sent < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!awaitReady(fd, POLLOUT, deadline, nullptr)) return false;
        } else {
            return false;
        }
    }
    return true;
}

void serveLines(int client, const LineLimits& limits, const LineAnswer& answer,
                const std::atomic<bool>& stop) {
    LineCutter cutter(limits.longest);
    std::string line;
    char buffer[1024];
    bool open = true;
    // The wait is for a whole line, so that a client sending a byte at a time is let go too.
    SteadyClock::time_point deadline = SteadyClock::now() + limits.wait;
    while (open && awaitReady(client, POLLIN, deadline, &stop)) {
        const ssize_t count = ::recv(client, buffer, sizeof buffer, MSG_DONTWAIT);
        if (count < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (count <= 0) break;
        cutter.add({buffer, static_cast<size_t>(count)});
        for (LineCutter::Cut cut; open && (cut = cutter.next(line)) != LineCutter::Cut::None;) {
            const std::string reply =
                (cut == LineCutter::Cut::Line ? answer(line) : std::string(kLineTooLong)) + "\n";
            open = sendWhole(client, reply, limits.wait) && cut == LineCutter::Cut::Line && !limits.oneLine;
            deadline = SteadyClock::now() + limits.wait;
        }
    }
    ::close(client);
}

}  // namespace platform
