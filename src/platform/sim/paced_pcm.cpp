#include "platform/sim/paced_pcm.h"

#include <cerrno>

#include "platform/log.h"

namespace platform {
namespace {

constexpr long kFramesPerSecond = 48000;
// A capture reader away this long is reported: the sound waited for it in the device.
constexpr Clock::Duration kLateReader = std::chrono::milliseconds(50);

Clock::Duration durationOf(long frames) {
    return std::chrono::duration_cast<Clock::Duration>(
        std::chrono::duration<double>(static_cast<double>(frames) / static_cast<double>(kFramesPerSecond)));
}

}  // namespace

PacedPcm::PacedPcm(std::unique_ptr<PcmStream> device, Clock& clock, PlaybackLayout layout)
    : device_(std::move(device)), clock_(clock), layout_(layout) {}

PacedPcm::~PacedPcm() {
    stopWaiting_ = true;
    if (waiter_.joinable()) waiter_.join();
}

long PacedPcm::framesElapsed(Clock::TimePoint now) const {
    const double seconds = std::chrono::duration<double>(now - origin_).count();
    return static_cast<long>(seconds * kFramesPerSecond);
}

void PacedPcm::startAt(Clock::TimePoint now) {
    running_ = true;
    underrun_ = false;
    origin_ = now;
    frames_ = 0;
}

long PacedPcm::readFrames(int16_t* frames, long count) {
    Clock::TimePoint ready;
    {
        std::lock_guard lock(mutex_);
        if (!running_) startAt(clock_.now());
        ready = origin_ + durationOf(frames_ + count);
        frames_ += count;
    }
    const Clock::TimePoint now = clock_.now();
    if (ready > now)
        clock_.sleepFor(ready - now);
    else
        noteLateness(now - ready);
    return device_->readFrames(frames, count);
}

// Once per absence: the reads after it catch up, each one less late.
void PacedPcm::noteLateness(Clock::Duration late) {
    const bool away = late > kLateReader;
    if (away && !late_)
        trace("sim: capture read %lld ms late\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(late).count()));
    late_ = away;
}

long PacedPcm::writeFrames(const int16_t* frames, long count) {
    {
        std::lock_guard lock(mutex_);
        if (underrun_) return -EPIPE;
        const long queued = running_ ? frames_ - framesElapsed(clock_.now()) : frames_;
        if (queued + count > layout_.bufferFrames) count = layout_.bufferFrames - queued;
        if (count <= 0) return -EAGAIN;
        frames_ += count;
        if (!running_ && frames_ >= layout_.startThreshold) {
            const long written = frames_;
            startAt(clock_.now());
            frames_ = written;
        }
    }
    return device_->writeFrames(frames, count);
}

long PacedPcm::available() {
    std::lock_guard lock(mutex_);
    if (underrun_) return -EPIPE;
    if (!running_) return layout_.bufferFrames - frames_;
    const long queued = frames_ - framesElapsed(clock_.now());
    if (queued < 0) {
        // Every frame written has been played: the device ran dry.
        underrun_ = true;
        return -EPIPE;
    }
    return layout_.bufferFrames - queued;
}

int PacedPcm::prepare() {
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        underrun_ = false;
        frames_ = 0;
    }
    return device_->prepare();
}

int PacedPcm::start() {
    {
        std::lock_guard lock(mutex_);
        const long written = frames_;
        startAt(clock_.now());
        frames_ = written;
    }
    return device_->start();
}

int PacedPcm::drop() {
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        frames_ = 0;
    }
    return device_->drop();
}

int PacedPcm::drain() {
    Clock::Duration left{};
    {
        std::lock_guard lock(mutex_);
        if (running_ && !underrun_) {
            const long queued = frames_ - framesElapsed(clock_.now());
            if (queued > 0) left = durationOf(queued);
        }
        // Stopped with its buffer played out: nothing is queued any more.
        running_ = false;
        frames_ = 0;
    }
    if (left > Clock::Duration::zero()) clock_.sleepFor(left);
    return device_->drain();
}

int PacedPcm::setPeriodHandler(std::function<void()> handler) {
    waiter_ = std::thread([this, handler = std::move(handler)] { waitForPeriods(handler); });
    return 0;
}

void PacedPcm::waitForPeriods(std::function<void()> handler) {
    const Clock::Duration period = durationOf(48);
    while (!stopWaiting_) {
        clock_.sleepFor(period);
        if (stopWaiting_) return;
        const long free = available();
        if (free < 0 || free >= layout_.availMin) handler();
    }
}

}  // namespace platform
