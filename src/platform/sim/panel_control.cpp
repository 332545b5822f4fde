#include "platform/sim/panel_control.h"

#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "platform/log.h"
#include "platform/sim/line_socket.h"

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
// How often a waiting listener looks at the stop flag.
constexpr int kPollMs = 100;
// A command names a file, so a line may be as long as a path; a client that
// sends no whole line within a minute gives its place to the next one.
constexpr LineLimits kClientLimits{4096, std::chrono::seconds(60)};

bool readable(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, kPollMs) > 0;
}

}  // namespace

PanelControl::PanelControl(SimPlatform& machine, std::string socketPath,
                           std::chrono::milliseconds settleLimit)
    : machine_(machine), socketPath_(std::move(socketPath)), settleLimit_(settleLimit) {
    std::string error;
    listener_ = listenForLines(socketPath_, error);
    if (listener_ < 0) {
        trace("sim: panel control %s\n", error.c_str());
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
    // Named, so that a look at the station's threads tells the simulator's own apart.
    pthread_setname_np(pthread_self(), "PanelControl");
    while (!stopping_) {
        if (!readable(listener_)) continue;
        // Every serving thread polls the listener; only one takes each client.
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        serveLines(
            client, kClientLimits, [this](std::string_view line) { return execute(std::string(line)); },
            stopping_);
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
    // next command, also when a loaded machine runs its key loop late.
    machine_.gpio().awaitLevelReads(kSettleReads, settleLimit_);
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
