#pragma once
// What every part of the record shares: the objects main owns for the whole
// run, the services of the higher layers, the tune lock and the run flag.
#include <atomic>
#include <cstdint>

#include "core/services.h"
#include "core/shared_text.h"
#include "core/try_mutex.h"
#include "core/tune_lock.h"

namespace platform {
class Platform;
}
namespace ui {
struct FrameBuffer;
}

namespace core {

class ThreadSet;
struct SetupRecord;

struct StationBlock {
    // Objects owned by main for the whole run.
    platform::Platform* platform = nullptr;
    ui::FrameBuffer* fb = nullptr;
    SetupRecord* setup = nullptr;
    ThreadSet* threads = nullptr;
    TryMutex* serMut = nullptr;
    // What this record's lower layers ask of the higher ones; set before any thread starts.
    Services* services = &Services::none();

    // The tune word's lock, timed by the platform's clock
    TuneLock tuneLock{platform};

    // The run flag of every thread, and the program's version
    std::atomic<int32_t> running{0};
    SharedText<8> swVersion;
    // 1 once the start-up has sent its commands and drawn the main screen
    std::atomic<uint8_t> initDone{0};
    // The status line's messages (panelFlags:: bits), raised by the tuner as by the keys
    std::atomic<uint8_t> panelFlags{0};
    // Counts the changes of the main loop's frequency sources (the FT-817's,
    // the amplifier's counter); bumped with platform::wakeWatchers, so that the
    // loop follows a new frequency without waiting for its next tick.
    std::atomic<uint32_t> frequencyNews{0};
};

}  // namespace core
