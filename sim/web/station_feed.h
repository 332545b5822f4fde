#pragma once
// What the page shows live: the station's screen, the amplifier emulator's
// state and whether the maker's transceiver is there. While at least one page
// watches, one thread asks the panel channel for the frame after the last one
// it has ("frame N PATH MS": the station waits for a new screen and writes
// the PNG only then), so each new screen goes out as soon as the station
// draws it; another asks the emulators for their state five times a second.
// Watchers are woken when anything is new. Nobody watching, nobody asks;
// nothing new, nothing is sent.
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
    std::string radioSocket;     // ROOT/run/qor-emulator.sock, there only with the transceiver emulator
    std::string frameFile;       // where the station writes the frames for us
};

// A text that changes now and then, numbered so that each watcher gets each
// version once.
struct Versioned {
    uint64_t number = 0;  // 0: nothing yet
    std::string text;
};

struct FeedUpdate {
    Versioned frame;  // the PNG, set when newer than the watcher's
    Versioned state;  // the amplifier emulator's state line
    Versioned radio;  // the transceiver emulator's state line, or "absent"
};

struct FeedSeen {
    uint64_t frame = 0, state = 0, radio = 0;
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
    // Waits until something newer than what the watcher has seen exists and
    // returns it (the parts already seen left empty); nothing once the
    // watcher gave way or the feed stops.
    [[nodiscard]] std::optional<FeedUpdate> next(uint64_t watcher, const FeedSeen& seen);
    void stop();

  private:
    void followFrames();
    void followStates();
    // Waits while nobody watches; false once stopping.
    bool awaitWatchers();
    void askFrame();
    void askState();
    void askRadio();
    // Stores a new version of the text unless it is the same; under the lock.
    void update(Versioned& part, std::string text);

    const FeedPaths paths_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<uint64_t> watchers_;
    uint64_t nextWatcher_ = 1;
    bool stopping_ = false;
    uint64_t frameShown_ = 0;  // the station's number of the frame held
    Versioned frame_, state_, radio_;
    bool panelFailing_ = false;
    std::thread frames_;
    std::thread states_;
};

}  // namespace sim::web
