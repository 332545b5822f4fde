#pragma once
// The tune lock: held while the tune word is changed and sent, so the link
// thread and the tune search never send a half-built word. Any thread may
// release it (the key dispatch takes it on one key and sends on another),
// which a std::mutex does not allow.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/log.h"

namespace core {

class TuneLock {
public:
    // A holder that never unlocks must not freeze the link thread, and with it the
    // status polling, meters and fans: after this long the lock is taken over.
    static constexpr std::chrono::milliseconds kLongestWait{1000};

    void lock() {
        const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
        while (held_.exchange(1, std::memory_order_acquire) != 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                platform::logError("tune lock held for over %d ms: taken over",
                                   static_cast<int>(kLongestWait.count()));
                return;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(1));
        }
    }
    void unlock() { held_.store(0, std::memory_order_release); }
    [[nodiscard]] bool held() const { return held_.load(std::memory_order_relaxed) != 0; }

private:
    std::atomic<uint8_t> held_{0};
};

}  // namespace core
