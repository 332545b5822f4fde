#pragma once
// What the playback device's period handler has to report. On the unit the
// handler runs as an asynchronous signal handler, where neither formatting
// text, nor the system log, nor allocating memory is safe: it only records
// notes here, a few plain words each, and the playback thread prints them.
#include <array>
#include <atomic>
#include <cstdint>

#include "platform/sound.h"

namespace remote {

enum class PlaybackNoteKind : uint8_t {
    DeviceInError,         // the device reported an error before a write; index, code
    RewroteAfterError,     // the period written again after re-preparing; result
    WrotePeriod,           // one period written; result
    RewroteAfterUnderrun,  // an underrun: the period written again; result
    ShortWrite,            // a write that wrote less than a period; result
    TooMuchSound,          // the ring run ahead, cut back; the limit that was passed
    SoundExhausted,        // the ring ran dry
};

struct PlaybackNote {
    PlaybackNoteKind kind;
    int32_t index;
    int32_t value;
};

// One writer (the handler) and one reader (the playback thread), without a lock.
class PlaybackNotes {
  public:
    // From the handler. A note that finds the queue full is counted instead.
    void add(PlaybackNote note) noexcept;
    // From the thread: each note in order, then how many were dropped since the last call.
    template <typename Each>
    uint32_t takeAll(Each each) {
        const uint32_t end = added_.load(std::memory_order_acquire);
        for (uint32_t next = taken_.load(std::memory_order_relaxed); next != end; ++next) {
            each(notes_[next % kCapacity]);
            taken_.store(next + 1, std::memory_order_release);
        }
        return dropped_.exchange(0, std::memory_order_relaxed);
    }

    // A second of periods at the rate the thread reads them is far less than this.
    static constexpr uint32_t kCapacity = 256;

  private:
    std::array<PlaybackNote, kCapacity> notes_{};
    std::atomic<uint32_t> added_{0};
    std::atomic<uint32_t> taken_{0};
    std::atomic<uint32_t> dropped_{0};
};

// Prints and logs the notes with the system's texts.
void printPlaybackNotes(PlaybackNotes& notes, platform::Sound& sound);

}  // namespace remote
