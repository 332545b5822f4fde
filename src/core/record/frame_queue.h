#pragma once
// The frames waiting for the remote client, oldest first. Any thread queues
// one (the frame writers); the connection's writer thread alone takes them
// out and sends them. The lock is held only to put a frame in or take one
// out, never across a socket call, so no producer ever waits on the client.
// A client that does not keep up fills the queue and is let go.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

namespace core {

class FrameQueue {
  public:
    using Frame = std::vector<uint8_t>;
    struct Limits {
        size_t bytes;
        size_t frames;
    };
    // What a frame needs of the connection: its handshake answered (the
    // heartbeat's answer, the "CF" echo), or its pass phrase accepted.
    enum class Needs { Handshake, Login };
    enum class Push { Queued, NoClient, Overflow };

    explicit FrameQueue(Limits limits) : limits_(limits) {}
    FrameQueue(const FrameQueue&) = delete;
    FrameQueue& operator=(const FrameQueue&) = delete;

    // A connection's handshake is answered: an empty queue that takes the frames it needs.
    void open();
    // Its pass phrase is accepted: every frame is taken.
    void admit();
    // The connection ends: nothing more is taken, and the writer sends what
    // waits (the answer to a last heartbeat, say) before its wait ends.
    void finish();
    // The client is gone or let go: what waits is dropped, nothing more is taken, and the writer's wait ends.
    void close();

    // Never waits for the client. Overflow (once) when the frame would pass a
    // limit: the frames are dropped, nothing more is taken, and the writer is
    // told to let the client go. NoClient when the connection does not take it.
    [[nodiscard]] Push push(Frame frame, Needs needs);
    // The writer's next frame, waiting while none is queued; nothing once the
    // queue is closed, has overflowed, or is finished and empty.
    [[nodiscard]] std::optional<Frame> pop();
    // Whether frames are still taken: the writer gives up a frame half sent once they are not.
    [[nodiscard]] bool taking() const;
    [[nodiscard]] size_t waiting() const;
    [[nodiscard]] const Limits& limits() const { return limits_; }

  private:
    enum class State { Closed, Open, Admitted, Finishing, Overflowed };

    // Both with the lock held.
    [[nodiscard]] bool connected() const { return state_ == State::Open || state_ == State::Admitted; }
    void dropWaiting();

    const Limits limits_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    State state_ = State::Closed;
    std::deque<Frame> frames_;
    size_t bytes_ = 0;
};

}  // namespace core
