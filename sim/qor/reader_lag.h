#pragma once
// How long the radio's messages wait on the link before the controller has
// read them: from the moment a message is made to the moment the last of its
// bytes has left the line. A controller whose reader is held up elsewhere
// gets the transmit flag and the frequency that much late.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>

namespace sim {

class ReaderLag {
  public:
    using Clock = std::chrono::steady_clock;

    // A message of this many bytes made at this time.
    void sent(size_t bytes, Clock::time_point at);
    // Of every byte sent, this many are not read yet at this time.
    void unread(size_t bytes, Clock::time_point at);
    // Messages not yet read whole.
    [[nodiscard]] bool waiting() const { return !waiting_.empty(); }
    // The longest wait of a message read since the last call.
    [[nodiscard]] std::chrono::milliseconds takeLongest();

  private:
    struct Message {
        uint64_t end;  // the byte count sent up to its end
        Clock::time_point sentAt;
    };
    std::deque<Message> waiting_;
    uint64_t sentBytes_ = 0;
    Clock::duration longest_{};
};

}  // namespace sim
