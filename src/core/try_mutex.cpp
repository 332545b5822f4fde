#include "core/try_mutex.h"

#include <chrono>
#include <thread>

#include "platform/log.h"

namespace core {

bool TryMutex::lock(const char* failureText) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (mutex_.try_lock()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    platform::logError("%s", failureText);
    return false;
}

}  // namespace core
