#include "sim/web/station_feed.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "sim/common/line_channel.h"

namespace sim::web {
namespace {

// How long the station holds one ask for the next frame: a still screen is
// asked about again this often.
constexpr int kFrameWaitMs = 1000;
// The station encodes the frame after its wait: room for that on a busy machine.
constexpr int kFrameAnswerMs = kFrameWaitMs + 4000;
// After a failed ask (the station starting or gone), so as not to spin.
constexpr std::chrono::milliseconds kRetryPause{500};
// The state changes with the heat sinks' slow model: five times a second is live enough.
constexpr std::chrono::milliseconds kStateInterval{200};
constexpr int kChannelTimeoutMs = 2000;
constexpr const char* kRadioAbsent = "absent";

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

StationFeed::StationFeed(FeedPaths paths)
    : paths_(std::move(paths)), frames_([this] { followFrames(); }), states_([this] { followStates(); }) {}

StationFeed::~StationFeed() {
    stop();
    frames_.join();
    states_.join();
}

void StationFeed::stop() {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    changed_.notify_all();
}

uint64_t StationFeed::watch() {
    std::lock_guard lock(mutex_);
    if (watchers_.size() == kMostWatchers) watchers_.pop_front();
    watchers_.push_back(nextWatcher_);
    changed_.notify_all();
    return nextWatcher_++;
}

void StationFeed::unwatch(uint64_t watcher) {
    std::lock_guard lock(mutex_);
    watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), watcher), watchers_.end());
    changed_.notify_all();
}

std::optional<FeedUpdate> StationFeed::next(uint64_t watcher, const FeedSeen& seen) {
    std::unique_lock lock(mutex_);
    auto watching = [&] { return std::find(watchers_.begin(), watchers_.end(), watcher) != watchers_.end(); };
    auto newer = [](const Versioned& part, uint64_t number) {
        return part.number != 0 && part.number != number;
    };
    changed_.wait(lock, [&] {
        return stopping_ || !watching() || newer(frame_, seen.frame) || newer(state_, seen.state) ||
               newer(radio_, seen.radio);
    });
    if (stopping_ || !watching()) return std::nullopt;
    FeedUpdate update{{frame_.number, {}}, {state_.number, {}}, {radio_.number, {}}};
    if (frame_.number != seen.frame) update.frame.text = frame_.text;
    if (state_.number != seen.state) update.state.text = state_.text;
    if (radio_.number != seen.radio) update.radio.text = radio_.text;
    return update;
}

bool StationFeed::awaitWatchers() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopping_ || !watchers_.empty(); });
    return !stopping_;
}

void StationFeed::followFrames() {
    while (awaitWatchers()) askFrame();
}

void StationFeed::followStates() {
    while (awaitWatchers()) {
        askState();
        askRadio();
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kStateInterval, [this] { return stopping_; });
    }
}

void StationFeed::askFrame() {
    uint64_t known = 0;
    {
        std::lock_guard lock(mutex_);
        known = frameShown_;
    }
    ChannelAnswer answer = askChannel(
        paths_.panelSocket,
        "frame " + std::to_string(known) + " " + paths_.frameFile + " " + std::to_string(kFrameWaitMs),
        kFrameAnswerMs);
    uint64_t shown = 0;
    const bool understood = answer.reached && std::sscanf(answer.text.c_str(), "ok %" SCNu64, &shown) == 1;
    const bool fresh = understood && shown != known && shown != 0;
    std::optional<std::string> png = fresh ? readFile(paths_.frameFile) : std::nullopt;
    std::unique_lock lock(mutex_);
    // Said once per outage: the station may not have started yet, or be restarting.
    if (!understood && !panelFailing_)
        std::fprintf(stderr, "brisel-sim-web: panel channel: %s\n", answer.text.c_str());
    panelFailing_ = !understood;
    if (!understood || (fresh && !png)) {
        changed_.wait_for(lock, kRetryPause, [this] { return stopping_; });
        return;
    }
    if (!fresh) return;
    frameShown_ = shown;
    frame_ = {shown, std::move(*png)};
    changed_.notify_all();
}

void StationFeed::askState() {
    ChannelAnswer answer = askChannel(paths_.emulatorSocket, "state", kChannelTimeoutMs);
    if (!answer.reached || !answer.text.starts_with("ok ")) return;
    std::lock_guard lock(mutex_);
    update(state_, answer.text.substr(3));
}

void StationFeed::askRadio() {
    std::string text = kRadioAbsent;
    std::error_code ignored;
    if (std::filesystem::exists(paths_.radioSocket, ignored)) {
        ChannelAnswer answer = askChannel(paths_.radioSocket, "state", kChannelTimeoutMs);
        if (answer.reached && answer.text.starts_with("ok ")) text = answer.text.substr(3);
    }
    std::lock_guard lock(mutex_);
    update(radio_, std::move(text));
}

void StationFeed::update(Versioned& part, std::string text) {
    if (part.number != 0 && part.text == text) return;
    part = {part.number + 1, std::move(text)};
    changed_.notify_all();
}

}  // namespace sim::web
