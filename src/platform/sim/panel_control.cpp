#include "platform/sim/panel_control.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "platform/log.h"

namespace platform {
namespace fs = std::filesystem;
namespace {

constexpr int kFirstKeyPin = 22;
constexpr int kKeys = 6;
constexpr int kPressMs = 100;
constexpr int kLongestHoldMs = 60000;
constexpr int kLongestFrameWaitMs = 2000;
// Clients served at once: a viewer waiting for frames, the keys, a script.
constexpr int kClientsAtOnce = 4;
constexpr std::chrono::milliseconds kReleaseSettle{30};
// Reads of the key levels that cover the debounce (six passes) even when
// a transfer to the small controller, which reads the levels twelve times,
// falls among them.
constexpr uint64_t kSettleReads = 20;
constexpr std::chrono::milliseconds kSettleLimit{5000};
// How often a waiting socket looks at the stop flag.
constexpr int kPollMs = 100;

int listenOn(const std::string& path) {
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return -1;
    std::error_code ignored;
    fs::create_directories(fs::path(path).parent_path(), ignored);
    fs::remove(path, ignored);
    // Non-blocking: every serving thread polls it, and only one takes each client.
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (fd >= 0 &&
        (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool readable(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, kPollMs) > 0;
}

}  // namespace

PanelControl::PanelControl(SimPlatform& machine, std::string socketPath)
    : machine_(machine), socketPath_(std::move(socketPath)) {
    listener_ = listenOn(socketPath_);
    if (listener_ < 0) {
        trace("sim: panel control %s: %s\n", socketPath_.c_str(), std::strerror(errno));
        return;
    }
    for (int i = 0; i < kClientsAtOnce; ++i) threads_.emplace_back([this] { serve(); });
}

PanelControl::~PanelControl() {
    stopping_ = true;
    for (std::thread& thread : threads_) thread.join();
    if (listener_ >= 0) ::close(listener_);
    std::error_code ignored;
    fs::remove(socketPath_, ignored);
}

void PanelControl::serve() {
    while (!stopping_) {
        if (!readable(listener_)) continue;
        int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        serveClient(client);
        ::close(client);
    }
}

void PanelControl::serveClient(int client) {
    std::string pending;
    char buffer[256];
    while (!stopping_) {
        if (!readable(client)) continue;
        ssize_t count = ::read(client, buffer, sizeof buffer);
        if (count <= 0) return;
        pending.append(buffer, static_cast<size_t>(count));
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string answer = execute(pending.substr(0, end)) + "\n";
            pending.erase(0, end + 1);
            if (::send(client, answer.data(), answer.size(), MSG_NOSIGNAL) < 0) return;
        }
    }
}

void PanelControl::holdKey(int key, int milliseconds) {
    driveKey(key, true);
    machine_.clock().sleepFor(std::chrono::milliseconds(milliseconds));
    driveKey(key, false);
}

void PanelControl::driveKey(int key, bool down) {
    const int pin = kFirstKeyPin + key - 1;
    machine_.gpio().drive(pin, down ? std::optional<int>(0) : std::nullopt);
    // Past the debounce, so that the station has seen the change before the
    // next command, also when a loaded machine runs its key loop late. Without
    // a key loop (no GPIO thread) the wait gives up.
    machine_.gpio().awaitLevelReads(kSettleReads, kSettleLimit);
    if (!down) machine_.clock().sleepFor(kReleaseSettle);
}

std::string PanelControl::execute(const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "press" || command == "hold") {
        int key = 0;
        int milliseconds = kPressMs;
        words >> key;
        if (command == "hold") words >> milliseconds;
        if (words.fail() || key < 1 || key > kKeys || milliseconds < 0 || milliseconds > kLongestHoldMs)
            return "error usage: press K | hold K MS (K 1..6, MS 0..60000)";
        holdKey(key, milliseconds);
        return "ok";
    }
    if (command == "down" || command == "up") {
        int key = 0;
        words >> key;
        if (words.fail() || key < 1 || key > kKeys) return "error usage: down K | up K (K 1..6)";
        driveKey(key, command == "down");
        return "ok";
    }
    if (command == "release") {
        for (int key = 1; key <= kKeys; ++key) machine_.gpio().drive(kFirstKeyPin + key - 1, std::nullopt);
        return "ok";
    }
    if (command == "screenshot") {
        std::string path;
        words >> path;
        if (path.empty()) return "error usage: screenshot PATH";
        if (machine_.system().takeScreenshot() != 0) return "error no screen";
        std::error_code error;
        fs::copy_file(machine_.root().resolve("/tmp/screen.png"), path, fs::copy_options::overwrite_existing,
                      error);
        return error ? "error " + error.message() : "ok";
    }
    if (command == "frame") {
        uint64_t known = 0;
        std::string path;
        int waitMs = 0;
        words >> known >> path;
        if (!words.fail() && !words.eof() && !(words >> std::ws).eof()) words >> waitMs;
        if (words.fail() || path.empty() || waitMs < 0 || waitMs > kLongestFrameWaitMs)
            return "error usage: frame N PATH [MS] (MS 0..2000)";
        // Written by the display itself, not through the station's screenshot
        // action: an observer waiting for frames neither fills the record of
        // system actions nor has an unchanged screen encoded again.
        std::optional<uint64_t> shown =
            machine_.system().writeFrame(path, known, std::chrono::milliseconds(waitMs));
        return shown ? "ok " + std::to_string(*shown) : "error no screen";
    }
    return "error unknown command: press K, hold K MS, down K, up K, release, screenshot PATH, frame N PATH "
           "[MS]";
}

}  // namespace platform
