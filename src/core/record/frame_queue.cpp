#include "core/record/frame_queue.h"

namespace core {

void FrameQueue::open() {
    std::lock_guard lock(mutex_);
    dropWaiting();
    state_ = State::Open;
}

void FrameQueue::admit() {
    std::lock_guard lock(mutex_);
    if (state_ == State::Open) state_ = State::Admitted;
}

void FrameQueue::finish() {
    {
        std::lock_guard lock(mutex_);
        if (connected()) state_ = State::Finishing;
    }
    changed_.notify_all();
}

void FrameQueue::close() {
    {
        std::lock_guard lock(mutex_);
        dropWaiting();
        state_ = State::Closed;
    }
    changed_.notify_all();
}

FrameQueue::Push FrameQueue::push(Frame frame, Needs needs) {
    {
        std::lock_guard lock(mutex_);
        const bool takes = state_ == State::Admitted || (state_ == State::Open && needs == Needs::Handshake);
        if (!takes) return Push::NoClient;
        if (frames_.size() < limits_.frames && bytes_ + frame.size() <= limits_.bytes) {
            bytes_ += frame.size();
            frames_.push_back(std::move(frame));
            changed_.notify_one();
            return Push::Queued;
        }
        dropWaiting();
        state_ = State::Overflowed;
    }
    changed_.notify_all();
    return Push::Overflow;
}

std::optional<FrameQueue::Frame> FrameQueue::pop() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !frames_.empty() || !connected(); });
    if (frames_.empty()) return std::nullopt;
    Frame frame = std::move(frames_.front());
    frames_.pop_front();
    bytes_ -= frame.size();
    return frame;
}

bool FrameQueue::taking() const {
    std::lock_guard lock(mutex_);
    return connected();
}

size_t FrameQueue::waiting() const {
    std::lock_guard lock(mutex_);
    return frames_.size();
}

void FrameQueue::dropWaiting() {
    frames_.clear();
    bytes_ = 0;
}

}  // namespace core
