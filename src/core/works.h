#pragma once
// The shared state record: everything more than one thread needs. One
// instance lives for the whole run and every thread gets a reference to it.
// It is composed of one block per subsystem, so code that needs only one part
// can take just that block. Scalars shared between threads are atomics; texts
// that change at run time are SharedText; the error list and the command ring
// carry their own locks.
#include <atomic>
#include <cstdint>

#include "core/record/amp_block.h"
#include "core/record/error_block.h"
#include "core/record/net_block.h"
#include "core/record/panel_block.h"
#include "core/record/radio_block.h"
#include "core/record/remote_block.h"
#include "core/record/setup_record.h"
#include "core/record/setup_values.h"
#include "core/record/tuner_block.h"
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

struct Works : SetupValues, AmpBlock, TunerBlock, ErrorBlock, PanelBlock, RemoteBlock, NetBlock, RadioBlock {
    Works() = default;
    Works(const Works&) = delete;
    Works& operator=(const Works&) = delete;

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
};

// The defaults of every field that has one.
void InitGlobalVar(Works& works);

}  // namespace core
