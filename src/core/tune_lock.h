#pragma once
// The tune lock: held while the tune word is changed and sent, so the link
// thread and the tune search never send a half-built word. Any thread may
// release it (the key dispatch takes it on one key and sends on another),
// which a std::mutex does not allow.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace core {

class TuneLock {
public:
    void lock() {
        while (held_.exchange(1, std::memory_order_acquire) != 0) std::this_thread::sleep_for(std::chrono::microseconds(1));
    }
    void unlock() { held_.store(0, std::memory_order_release); }
    [[nodiscard]] bool held() const { return held_.load(std::memory_order_relaxed) != 0; }

private:
    std::atomic<uint8_t> held_{0};
};

}  // namespace core
