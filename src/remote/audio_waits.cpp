#include "remote/audio_waits.h"

#include "core/works.h"
#include "platform/platform.h"

namespace remote {

bool waitUntil(core::Works& works, const std::atomic<char>& enable, std::chrono::milliseconds interval,
               const std::function<bool()>& done) {
    platform::Clock& clock = works.platform->clock();
    while (!done()) {
        if (enable != '1' || works.running == 0) return false;
        clock.sleepFor(interval);
    }
    return true;
}

}  // namespace remote
