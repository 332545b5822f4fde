#include "core/threads.h"

#include <pthread.h>

#include <cerrno>
#include <chrono>

#include "core/errors.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace core {
namespace {

using EnableChar = std::atomic<char> SetupRecord::*;

struct ThreadEntry {
    const char* name;             // as shown by ps; at most 15 characters
    EnableChar enable;            // nullptr: always started
    int priority;                 // SCHED_RR priority, 0 = default scheduling
    const char* priorityFailure;  // logged with the call's result and errno
    const char* startMessage;     // written to standard error before the start
};

// Indexed by ThreadId.
const ThreadEntry kThreads[] = {
    {"GPIO", &SetupRecord::EnableGPIO, 0, nullptr, nullptr},
    {"Linear", &SetupRecord::EnableLinear, 0, nullptr, nullptr},
    {"LoadThread", nullptr, 0, nullptr, nullptr},
    {"LANInfoThread", nullptr, 0, nullptr, nullptr},
    {"AggFWThread", nullptr, 0, nullptr, nullptr},
    {"keyb", &SetupRecord::EnableKeyb, 0, nullptr, nullptr},
    {"Wsocket", &SetupRecord::WebSocket, 99, "pthread_setschedparam pthread 6 failed Error %d errno %d",
     ">>>>>>>>>> SOCKET SERVER start\n"},
    {"Serial", &SetupRecord::enaser, 50, "pthread_setschedparam pthread 8 failed Error %d errno %d",
     "QORread start\n"},
    {"th_scrivi", &SetupRecord::EnableWrite, 50, "pthread_setschedparam pthread 5 failed Error %d errno %d",
     "Th_scrivi start\n"},
    {"th_leggi", &SetupRecord::EnableRead, 40, "pthread_setschedparam pthread 4 failed Error %d errno %d",
     "Th_leggi start\n"},
    {"Cat", &SetupRecord::EnableCAT, 0, nullptr, "Cat.c start\n"},
    {"QORRead", &SetupRecord::EnableFFT, 0, nullptr, nullptr},
    {"CatSerial", &SetupRecord::enaCatSer, 0, nullptr, nullptr},
    {"timer", &SetupRecord::EnableTime, 0, nullptr, nullptr},
};
static_assert(std::size(kThreads) == static_cast<size_t>(ThreadId::Count));

const ThreadEntry& entryOf(ThreadId id) {
    return kThreads[static_cast<size_t>(id)];
}

// Every part of the record belongs to one whole record, which the thread gets.
void startThread(AmpRecord& part, ThreadId id) {
    Works& works = static_cast<Works&>(part);
    const ThreadEntry& entry = entryOf(id);
    if (entry.enable != nullptr && (works.setup->*entry.enable).load() != '1') return;
    const ThreadBody body = works.threads->bodyOf(id);
    if (body == nullptr || works.threads->alive(id)) return;
    if (entry.startMessage != nullptr) platform::trace("%s", entry.startMessage);
    works.threads->start(works, id, body);
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

void ThreadSet::setBody(ThreadId id, ThreadBody body) {
    bodies_[static_cast<size_t>(id)] = body;
}

ThreadBody ThreadSet::bodyOf(ThreadId id) const {
    return bodies_[static_cast<size_t>(id)];
}

bool ThreadSet::started(ThreadId id) const {
    std::lock_guard lock(mutex_);
    return slots_[static_cast<size_t>(id)].handle.joinable();
}

bool ThreadSet::alive(ThreadId id) const {
    return slots_[static_cast<size_t>(id)].alive;
}

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

void StartThreadLinear(AmpRecord& works) {
    startThread(works, ThreadId::Linear);
}
void StartThreadCAT(AmpRecord& works) {
    startThread(works, ThreadId::Cat);
}
void StartThreadCATserial(AmpRecord& works) {
    startThread(works, ThreadId::CatSerial);
}
void StartQorReadFFT(AmpRecord& works) {
    startThread(works, ThreadId::FFT);
}
void StartThreadQOR(AmpRecord& works) {
    startThread(works, ThreadId::Serial);
}
void StartThreadAudioRead(AmpRecord& works) {
    startThread(works, ThreadId::AudioRead);
}
void StartThreadAudioWrite(AmpRecord& works) {
    startThread(works, ThreadId::AudioWrite);
}
void StartThreadSoket(AmpRecord& works) {
    startThread(works, ThreadId::Wsocket);
}
void StartThreadLANinfo(AmpRecord& works) {
    startThread(works, ThreadId::LANInfoThread);
}
void StartThreadGPIO(AmpRecord& works) {
    startThread(works, ThreadId::GPIO);
}
void StartThreadKeyb(AmpRecord& works) {
    startThread(works, ThreadId::Keyb);
}
void StartThreadTimer(AmpRecord& works) {
    startThread(works, ThreadId::Timer);
}
void StartLoadThread(AmpRecord& works) {
    startThread(works, ThreadId::LoadThread);
}
void StartAggFWThread(AmpRecord& works) {
    startThread(works, ThreadId::AggFWThread);
}

}  // namespace core
