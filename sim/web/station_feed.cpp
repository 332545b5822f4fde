#include "web/station_feed.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "web/line_channel.h"

namespace sim::web {
namespace {

// 20 asks a second: the page gets at least 10 frames a second while the
// screen changes, even when the station takes a while to encode one.
constexpr std::chrono::milliseconds kPollInterval{50};
// The state changes with the heat sinks' slow model: five times a second is live enough.
constexpr int kPollsPerState = 4;
constexpr int kChannelTimeoutMs = 2000;

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

StationFeed::StationFeed(FeedPaths paths) : paths_(std::move(paths)), poller_([this] { poll(); }) {}

StationFeed::~StationFeed() {
    stop();
    poller_.join();
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

std::optional<FeedUpdate> StationFeed::next(uint64_t watcher, uint64_t seenFrame, uint64_t seenState) {
    std::unique_lock lock(mutex_);
    auto watching = [&] { return std::find(watchers_.begin(), watchers_.end(), watcher) != watchers_.end(); };
    changed_.wait(lock, [&] {
        return stopping_ || !watching() || (frameNumber_ != 0 && frameNumber_ != seenFrame) ||
               (stateNumber_ != 0 && stateNumber_ != seenState);
    });
    if (stopping_ || !watching()) return std::nullopt;
    FeedUpdate update{frameNumber_, {}, stateNumber_, {}};
    if (frameNumber_ != seenFrame) update.framePng = framePng_;
    if (stateNumber_ != seenState) update.state = state_;
    return update;
}

void StationFeed::poll() {
    for (int round = 0;; ++round) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !watchers_.empty(); });
            if (stopping_) return;
        }
        askFrame();
        if (round % kPollsPerState == 0) askState();
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kPollInterval, [this] { return stopping_; });
    }
}

void StationFeed::askFrame() {
    uint64_t known = 0;
    {
        std::lock_guard lock(mutex_);
        known = frameNumber_;
    }
    ChannelAnswer answer = askChannel(
        paths_.panelSocket, "frame " + std::to_string(known) + " " + paths_.frameFile, kChannelTimeoutMs);
    uint64_t shown = 0;
    const bool understood = answer.reached && std::sscanf(answer.text.c_str(), "ok %lu", &shown) == 1;
    std::lock_guard lock(mutex_);
    // Said once per outage: the station may not have started yet, or be restarting.
    if (!understood && !channelsFailing_)
        std::fprintf(stderr, "brisel-sim-web: panel channel: %s\n", answer.text.c_str());
    channelsFailing_ = !understood;
    if (!understood || shown == known || shown == 0) return;
    std::optional<std::string> png = readFile(paths_.frameFile);
    if (!png) return;
    frameNumber_ = shown;
    framePng_ = std::move(*png);
    changed_.notify_all();
}

void StationFeed::askState() {
    ChannelAnswer answer = askChannel(paths_.emulatorSocket, "state", kChannelTimeoutMs);
    if (!answer.reached || !answer.text.starts_with("ok ")) return;
    std::lock_guard lock(mutex_);
    if (answer.text.substr(3) == state_) return;
    state_ = answer.text.substr(3);
    ++stateNumber_;
    changed_.notify_all();
}

}  // namespace sim::web
