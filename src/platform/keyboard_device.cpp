#include "platform/keyboard_device.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace platform {

std::string findKeyboard(const RunRoot& root) {
    namespace fs = std::filesystem;
    const fs::path folder = root.resolve("/dev/input/by-id");
    std::vector<std::string> matches;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with("-event-kbd")) matches.push_back(entry.path().string());
    }
    if (matches.empty()) return {};
    return *std::min_element(matches.begin(), matches.end());
}

KeyboardDevice::~KeyboardDevice() {
    if (fd_ >= 0) ::close(fd_);
}

bool KeyboardDevice::open(const std::string& path) {
    // Not inherited by the helper programs the keyboard's keys start.
    fd_ = ::open(path.c_str(), openFlags_ | O_NONBLOCK | O_CLOEXEC);
    return fd_ >= 0;
}

KeyboardRead KeyboardDevice::read(input_event& event, std::chrono::milliseconds timeout) {
    pollfd waiting{fd_, POLLIN, 0};
    const int ready = ::poll(&waiting, 1, static_cast<int>(timeout.count()));
    if (ready < 0) return errno == EINTR ? KeyboardRead::Nothing : KeyboardRead::Failed;
    if (ready == 0) return KeyboardRead::Nothing;
    const ssize_t count = ::read(fd_, record_.data() + filled_, record_.size() - filled_);
    if (count < 0) return errno == EINTR || errno == EAGAIN ? KeyboardRead::Nothing : KeyboardRead::Failed;
    if (count == 0) {
        // An event device never ends; what does is no longer a keyboard.
        errno = ENODEV;
        return KeyboardRead::Failed;
    }
    filled_ += static_cast<size_t>(count);
    if (filled_ < record_.size()) return KeyboardRead::Nothing;
    std::memcpy(&event, record_.data(), sizeof event);
    filled_ = 0;
    return KeyboardRead::Event;
}

}  // namespace platform
