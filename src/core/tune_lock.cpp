#include "core/tune_lock.h"

#include "platform/log.h"
#include "platform/platform.h"

namespace core {

void TuneLock::lock() {
    platform::Clock& clock = machine_->clock();
    const auto deadline = clock.now() + kLongestWait;
    while (held_.exchange(1, std::memory_order_acquire) != 0) {
        if (clock.now() >= deadline) {
            platform::logError("tune lock held for over %d ms: taken over",
                               static_cast<int>(kLongestWait.count()));
            return;
        }
        clock.sleepFor(std::chrono::microseconds(1));
    }
}

}  // namespace core
