#include "core/threads.h"

#include <pthread.h>

#include <cerrno>
#include <chrono>

#include "amp/link.h"
#include "core/errors.h"
#include "core/oneshot_threads.h"
#include "config/setup.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "ui/main_loop.h"

namespace core {
namespace {

using EnableChar = std::atomic<char> config::SetupRecord::*;

struct ThreadEntry {
    const char* name;             // as shown by ps; at most 15 characters
    EnableChar enable;            // nullptr: always started
    int priority;                 // SCHED_RR priority, 0 = default scheduling
    const char* priorityFailure;  // logged with the call's result and errno
    const char* startMessage;     // written to standard error before the start
    ThreadBody body;              // nullptr until the thread exists
};

using config::SetupRecord;

// Indexed by ThreadId.
const ThreadEntry kThreads[] = {
    {"GPIO", &SetupRecord::EnableGPIO, 0, nullptr, nullptr, nullptr},
    {"Linear", &SetupRecord::EnableLinear, 0, nullptr, nullptr, amp::Linear},
    {"LoadThread", nullptr, 0, nullptr, nullptr, LoadThread},
    {"LANInfoThread", nullptr, 0, nullptr, nullptr, LANInfoThread},
    {"AggFWThread", nullptr, 0, nullptr, nullptr, AggFWThread},
    {"keyb", &SetupRecord::EnableKeyb, 0, nullptr, nullptr, nullptr},
    {"Wsocket", &SetupRecord::WebSocket, 99, "pthread_setschedparam pthread 6 failed Error %d errno %d",
     ">>>>>>>>>> SOCKET SERVER start\n", nullptr},
    {"Serial", &SetupRecord::enaser, 50, "pthread_setschedparam pthread 8 failed Error %d errno %d",
     "QORread start\n", nullptr},
    {"th_scrivi", &SetupRecord::EnableWrite, 50, "pthread_setschedparam pthread 5 failed Error %d errno %d",
     "Th_scrivi start\n", nullptr},
    {"th_leggi", &SetupRecord::EnableRead, 40, "pthread_setschedparam pthread 4 failed Error %d errno %d",
     "Th_leggi start\n", nullptr},
    {"Cat", &SetupRecord::EnableCAT, 0, nullptr, "Cat.c start\n", nullptr},
    {"QORRead", &SetupRecord::EnableFFT, 0, nullptr, nullptr, nullptr},
    {"CatSerial", &SetupRecord::enaCatSer, 0, nullptr, nullptr, nullptr},
    {"timer", &SetupRecord::EnableTime, 0, nullptr, nullptr, ui::timer},
};
static_assert(std::size(kThreads) == static_cast<size_t>(ThreadId::Count));

const ThreadEntry& entryOf(ThreadId id) { return kThreads[static_cast<size_t>(id)]; }

void startThread(Works& works, ThreadId id) {
    const ThreadEntry& entry = entryOf(id);
    if (entry.enable != nullptr && (works.setup->*entry.enable).load() != '1') return;
    if (entry.body == nullptr || works.threads->alive(id)) return;
    if (entry.startMessage != nullptr) platform::trace("%s", entry.startMessage);
    works.threads->start(works, id, entry.body);
}

}  // namespace

// Every body returns once works.running drops; a detached thread could outlive the record it uses.
ThreadSet::~ThreadSet() {
    for (Slot& slot : slots_)
        if (slot.handle.joinable()) slot.handle.join();
}

bool ThreadSet::start(Works& works, ThreadId id, ThreadBody body) {
    std::lock_guard lock(mutex_);
    Slot& slot = slots_[static_cast<size_t>(id)];
    if (slot.alive) return false;
    if (slot.handle.joinable()) slot.handle.join();  // it has ended: only its handle is left
    slot.alive = true;
    slot.handle = std::thread([&works, &slot, body] {
        body(works);
        slot.alive = false;
    });
    const ThreadEntry& entry = entryOf(id);
    pthread_setname_np(slot.handle.native_handle(), entry.name);
    if (entry.priority != 0) {
        int result = works.platform->setRealtimePriority(slot.handle.native_handle(), entry.priority);
        if (result != 0) platform::logError(entry.priorityFailure, result, errno);
    }
    return true;
}

bool ThreadSet::started(ThreadId id) const {
    std::lock_guard lock(mutex_);
    return slots_[static_cast<size_t>(id)].handle.joinable();
}

bool ThreadSet::alive(ThreadId id) const { return slots_[static_cast<size_t>(id)].alive; }

bool ThreadSet::join(ThreadId id) {
    std::thread handle;
    {
        std::lock_guard lock(mutex_);
        handle = std::move(slots_[static_cast<size_t>(id)].handle);
    }
    if (!handle.joinable()) return false;
    handle.join();
    return true;
}

void StartThreadLinear(Works& works) { startThread(works, ThreadId::Linear); }
void StartThreadCAT(Works& works) { startThread(works, ThreadId::Cat); }
void StartThreadCATserial(Works& works) { startThread(works, ThreadId::CatSerial); }
void StartQorReadFFT(Works& works) { startThread(works, ThreadId::FFT); }
void StartThreadQOR(Works& works) { startThread(works, ThreadId::Serial); }
void StartThreadAudioRead(Works& works) { startThread(works, ThreadId::AudioRead); }
void StartThreadAudioWrite(Works& works) { startThread(works, ThreadId::AudioWrite); }
void StartThreadSoket(Works& works) { startThread(works, ThreadId::Wsocket); }
void StartThreadLANinfo(Works& works) { startThread(works, ThreadId::LANInfoThread); }
void StartThreadGPIO(Works& works) { startThread(works, ThreadId::GPIO); }
void StartThreadKeyb(Works& works) { startThread(works, ThreadId::Keyb); }
void StartThreadTimer(Works& works) { startThread(works, ThreadId::Timer); }
void StartLoadThread(Works& works) { startThread(works, ThreadId::LoadThread); }
void StartAggFWThread(Works& works) { startThread(works, ThreadId::AggFWThread); }

void StartThreadCommRemote(Works& works) {
    works.remoteFault = 0;
    config::SetupRecord& setup = *works.setup;
    struct Remote {
        std::atomic<char>& enable;
        void (*starter)(Works&);
    };
    for (Remote remote : {Remote{setup.EnableWrite, StartThreadAudioWrite}, Remote{setup.EnableRead, StartThreadAudioRead},
                          Remote{setup.EnableCAT, StartThreadCAT}, Remote{setup.EnableFFT, StartQorReadFFT}}) {
        if (remote.enable == '0') {
            remote.enable = '1';
            remote.starter(works);
        }
    }
    config::writeSetup(works);
}

void ExitThreadRemote(Works& works) {
    config::SetupRecord& setup = *works.setup;
    setup.EnableWrite = '0';
    setup.EnableRead = '0';
    setup.EnableCAT = '0';
    setup.EnableFFT = '0';
    works.platform->clock().sleepFor(std::chrono::milliseconds(500));
    for (int code : {9, 10, 5, 20}) DeleteErrore(works, code);
    config::writeSetup(works);
    platform::trace(">>>>>>>>>>>>>>>>>>>>>>>>> REMOTE STOP \n");
}

}  // namespace core
