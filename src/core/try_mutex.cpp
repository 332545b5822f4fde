#include "core/try_mutex.h"

#include <chrono>

#include "platform/log.h"

namespace core {

bool TryMutex::lock(platform::Clock& clock, const char* failureText) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (mutex_.try_lock()) return true;
        clock.sleepFor(std::chrono::milliseconds(1));
    }
    platform::logError("%s", failureText);
    return false;
}

}  // namespace core
