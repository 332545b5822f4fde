#pragma once
// The tune lock: held while the tune word is changed and sent, so the link
// thread and the tune search never send a half-built word. Any thread may
// release it (the key dispatch takes it on one key and sends on another),
// which a std::mutex does not allow.
#include <atomic>
#include <chrono>
#include <cstdint>

namespace platform {
class Platform;
}

namespace core {

class TuneLock {
  public:
    // A holder that never unlocks must not freeze the link thread, and with it the
    // status polling, meters and fans: after this long the lock is taken over.
    static constexpr std::chrono::milliseconds kLongestWait{1000};

    // machine: the shared record's platform pointer, whose clock times the wait;
    // set before the lock is first taken.
    explicit TuneLock(platform::Platform* const& machine) : machine_(machine) {}
    TuneLock(const TuneLock&) = delete;
    TuneLock& operator=(const TuneLock&) = delete;

    void lock();
    void unlock() { held_.store(0, std::memory_order_release); }
    [[nodiscard]] bool held() const { return held_.load(std::memory_order_relaxed) != 0; }

  private:
    platform::Platform* const& machine_;
    std::atomic<uint8_t> held_{0};
};

}  // namespace core
