#pragma once
// What the page shows live: the station's screen and the amplifier
// emulator's state. While at least one page watches, a thread asks the panel
// channel for the frame after the last one it has ("frame N PATH": the
// station writes the PNG only when its screen changed) and the emulator for
// its state, and wakes the watchers when either is new. Nobody watching,
// nobody asks; nothing new, nothing is sent.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace sim::web {

struct FeedPaths {
    std::string panelSocket;     // ROOT/run/panel.sock
    std::string emulatorSocket;  // ROOT/run/amp-emulator.sock
    std::string frameFile;       // where the station writes the frames for us
};

struct FeedUpdate {
    uint64_t frameNumber = 0;  // 0: no frame yet
    std::string framePng;      // set when frameNumber is newer than the watcher's
    uint64_t stateNumber = 0;
    std::string state;  // set when stateNumber is newer than the watcher's
};

class StationFeed {
  public:
    // At most this many pages watch at once: a page closed while nothing
    // changes is only noticed at the next write, so the oldest watcher gives
    // way to a new one.
    static constexpr size_t kMostWatchers = 4;

    explicit StationFeed(FeedPaths paths);
    ~StationFeed();
    StationFeed(const StationFeed&) = delete;
    StationFeed& operator=(const StationFeed&) = delete;

    [[nodiscard]] uint64_t watch();
    void unwatch(uint64_t watcher);
    // Waits until a frame or state newer than those given exists and returns
    // what is new; nothing once the watcher gave way or the feed stops.
    [[nodiscard]] std::optional<FeedUpdate> next(uint64_t watcher, uint64_t seenFrame, uint64_t seenState);
    void stop();

  private:
    void poll();
    void askFrame();
    void askState();

    const FeedPaths paths_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<uint64_t> watchers_;
    uint64_t nextWatcher_ = 1;
    bool stopping_ = false;
    uint64_t frameNumber_ = 0;  // the station's number of the frame held
    std::string framePng_;
    uint64_t stateNumber_ = 0;
    std::string state_;
    bool channelsFailing_ = false;
    std::thread poller_;
};

}  // namespace sim::web
