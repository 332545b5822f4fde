#pragma once
// The two exchange locks of the system (WebSocket writes, transceiver
// parameters and spectrum) are never waited on for long: ten attempts 1 ms
// apart, then the operation is skipped and the caller's text is logged.
#include <mutex>

#include "platform/clock.h"

namespace core {

class TryMutex {
  public:
    // True when locked; false after ten failed attempts, with failureText
    // logged at error priority.
    [[nodiscard]] bool lock(platform::Clock& clock, const char* failureText);
    void unlock() { mutex_.unlock(); }

  private:
    std::mutex mutex_;
};

// Scoped form: test it before touching the guarded data.
class TryLock {
  public:
    TryLock(TryMutex& mutex, platform::Clock& clock, const char* failureText)
        : mutex_(mutex), locked_(mutex.lock(clock, failureText)) {}
    ~TryLock() {
        if (locked_) mutex_.unlock();
    }
    TryLock(const TryLock&) = delete;
    TryLock& operator=(const TryLock&) = delete;
    explicit operator bool() const { return locked_; }

  private:
    TryMutex& mutex_;
    bool locked_;
};

}  // namespace core
