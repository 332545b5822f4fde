#pragma once
// The thread set of the process: one slot per thread with its handle, its
// enable character, its real-time priority and its body. A starter creates
// the thread only when its enable character is '1', its body exists and it
// is not already running.
#include <array>
#include <atomic>
#include <mutex>
#include <thread>

namespace core {

struct AmpRecord;
struct Works;

enum class ThreadId {
    GPIO,
    Linear,
    LoadThread,
    LANInfoThread,
    AggFWThread,
    Keyb,
    Wsocket,
    Serial,
    AudioWrite,
    AudioRead,
    Cat,
    FFT,
    CatSerial,
    Timer,
    Count
};

using ThreadBody = void (*)(Works&);

class ThreadSet {
  public:
    ThreadSet() = default;
    ThreadSet(const ThreadSet&) = delete;
    ThreadSet& operator=(const ThreadSet&) = delete;
    ~ThreadSet();

    // The body of a thread of the table; the composition root sets them, so the
    // core starts threads of every subsystem without depending on any.
    void setBody(ThreadId id, ThreadBody body);
    [[nodiscard]] ThreadBody bodyOf(ThreadId id) const;
    // Creates the thread unless it is still running. Returns true when created.
    bool start(Works& works, ThreadId id, ThreadBody body);
    [[nodiscard]] bool started(ThreadId id) const;
    [[nodiscard]] bool alive(ThreadId id) const;
    // Waits for the thread when it was started; returns true when it was.
    bool join(ThreadId id);

  private:
    struct Slot {
        std::thread handle;
        std::atomic<bool> alive{false};
    };
    mutable std::mutex mutex_;
    std::array<Slot, static_cast<size_t>(ThreadId::Count)> slots_;
    std::array<ThreadBody, static_cast<size_t>(ThreadId::Count)> bodies_{};
};

void StartThreadLinear(AmpRecord& works);
void StartThreadCAT(AmpRecord& works);
void StartThreadCATserial(AmpRecord& works);
void StartQorReadFFT(AmpRecord& works);
void StartThreadQOR(AmpRecord& works);
void StartThreadAudioRead(AmpRecord& works);
void StartThreadAudioWrite(AmpRecord& works);
void StartThreadSoket(AmpRecord& works);
void StartThreadLANinfo(AmpRecord& works);
// Threads that main creates itself, each under its own condition.
void StartThreadGPIO(AmpRecord& works);
void StartThreadKeyb(AmpRecord& works);
void StartThreadTimer(AmpRecord& works);
void StartLoadThread(AmpRecord& works);
void StartAggFWThread(AmpRecord& works);

}  // namespace core
