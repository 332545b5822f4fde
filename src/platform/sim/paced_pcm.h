#pragma once
// A simulated sound device keeps the time a real one keeps: the plugins
// behind it take and give frames at once, so this wrapper lets capture
// frames become ready, and playback frames be played, at 48,000 frames per
// second of the platform's clock. Its period handler is a thread that waits
// on that time.
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/clock.h"
#include "platform/sound.h"

namespace platform {

class PacedPcm final : public PcmStream {
  public:
    // layout: the playback device's; empty for capture. Playback starts on
    // start(), or once the start threshold is written.
    PacedPcm(std::unique_ptr<PcmStream> device, Clock& clock, PlaybackLayout layout = {});
    ~PacedPcm() override;

    long readFrames(int16_t* frames, long count) override;
    long writeFrames(const int16_t* frames, long count) override;
    long available() override;
    int prepare() override;
    int start() override;
    int drop() override;
    int drain() override;
    int setPeriodHandler(std::function<void()> handler) override;

  private:
    // Frames the device has played (or captured) since it started.
    long framesElapsed(Clock::TimePoint now) const;
    void startAt(Clock::TimePoint now);
    void waitForPeriods(std::function<void()> handler);
    // Capture: the reader came this long after its frames were ready.
    void noteLateness(Clock::Duration late);

    std::unique_ptr<PcmStream> device_;
    Clock& clock_;
    const PlaybackLayout layout_;
    mutable std::mutex mutex_;
    bool running_ = false;
    bool underrun_ = false;
    Clock::TimePoint origin_{};
    long frames_ = 0;    // written (playback) or read (capture) since the start
    bool late_ = false;  // capture: catching up after the reader was away
    std::atomic<bool> stopWaiting_{false};
    std::thread waiter_;
};

}  // namespace platform
