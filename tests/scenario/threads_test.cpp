#include "core/threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

#include "app/oneshot_threads.h"
#include "config/last_good_link.h"
#include "core/tiny_mailbox.h"
#include "platform/sim/scaled_clock.h"
#include "test_station.h"

using core::ThreadId;
using platform::SystemAction;
using testing_support::TestStation;

namespace {

// Stands in for the GPIO thread: takes each mailbox byte and answers it.
void serveTinyMailbox(core::Works& works) {
    while (works.running != 0) {
        uint8_t command = works.tinyMailbox;
        if (command != 0) {
            works.tinyStatus = static_cast<uint8_t>(works.tinyStatus + 1);
            works.tinyMailbox = 0;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

void waitForRunFlag(core::Works& works) {
    while (works.running != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(ThreadSet, AThreadRunsOnceAtATimeAndIsJoined) {
    TestStation station;
    core::Works& works = station.works;
    EXPECT_TRUE(station.threads.start(works, ThreadId::Timer, waitForRunFlag));
    EXPECT_FALSE(station.threads.start(works, ThreadId::Timer, waitForRunFlag));
    EXPECT_TRUE(station.threads.alive(ThreadId::Timer));
    works.running = 0;
    EXPECT_TRUE(station.threads.join(ThreadId::Timer));
    EXPECT_FALSE(station.threads.alive(ThreadId::Timer));
    EXPECT_FALSE(station.threads.join(ThreadId::Timer));
    works.running = 1;
    EXPECT_TRUE(station.threads.start(works, ThreadId::Timer, waitForRunFlag));
    works.running = 0;
    EXPECT_TRUE(station.threads.join(ThreadId::Timer));
}

TEST(TinyMailbox, ACommandIsHandedOverTwice) {
    TestStation station(std::make_unique<platform::ScaledClock>(1.0));  // a real thread serves the mailbox
    core::Works& works = station.works;
    station.threads.start(works, ThreadId::GPIO, serveTinyMailbox);
    core::CmandoTinyconAttesaStato(works, 197);
    EXPECT_EQ(works.tinyStatus, 2);
    EXPECT_EQ(works.tinyMailbox, 0);
    EXPECT_TRUE(station.log.contains("CmandoTinyconAttesaStato stato: ...2\n"));
    works.running = 0;
    station.threads.join(ThreadId::GPIO);
}

TEST(TinyMailbox, WithoutAGpioThreadTheCommandIsDroppedAtOnce) {
    TestStation station;
    core::CmandoTinyconAttesaStato(station.works, 181);
    EXPECT_EQ(station.works.tinyMailbox, 0);
    EXPECT_TRUE(station.log.contains("tiny controller not served, command 181 dropped"));
}

TEST(LoadThread, CountsDownToZeroAndWaitsThereForTheEndOfTheStartUp) {
    TestStation station;
    core::Works& works = station.works;
    works.waitQOR = 10;
    works.startInitThread = 1;
    station.threads.start(works, ThreadId::LoadThread, app::LoadThread);
    while (!station.log.contains("Time Loading ... 0..\n"))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(works.initDone, 0);
    works.startInitThread = 0;
    station.threads.join(ThreadId::LoadThread);
    EXPECT_EQ(works.initDone, 1);
    EXPECT_FALSE(station.log.contains("Loading ...-1"));
}

TEST(UpdateConfirmation, RemovesBothMarkersAndRemountsReadOnly) {
    TestStation station;
    std::ofstream(station.path("/opt/good")) << "";
    std::ofstream(station.path("/opt/set/good")) << "";
    config::DeleteLastGoodLink(station.works);
    EXPECT_FALSE(std::filesystem::exists(station.path("/opt/good")));
    EXPECT_FALSE(std::filesystem::exists(station.path("/opt/set/good")));
    EXPECT_EQ(station.system().calls(),
              (std::vector<platform::SystemCall>{{SystemAction::RemountRootReadWrite},
                                                 {SystemAction::RemoveFile, "/opt/good"},
                                                 {SystemAction::RemountRootReadOnly},
                                                 {SystemAction::RemountSettingsReadWrite},
                                                 {SystemAction::RemountSettingsReadOnly}}));
    EXPECT_TRUE(station.log.contains("END AGG FW 0..\n"));
}

TEST(UpdateConfirmation, WaitsForTheWindowOfASaveInProgress) {
    TestStation station;
    std::mutex mutex;
    std::condition_variable changed;
    bool saving = false, released = false, confirmed = false;
    // The first read-write remount, the save's, holds the save inside its window.
    station.system().setAfterAction([&](const platform::SystemCall& call) {
        if (call.action != SystemAction::RemountSettingsReadWrite) return;
        std::unique_lock lock(mutex);
        if (saving) return;
        saving = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
    });
    std::thread save([&] { (void)station.works.platform->files().save("/opt/set/name.txt", "x\n"); });
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return saving; });
    std::thread confirm([&] {
        config::DeleteLastGoodLink(station.works);
        std::lock_guard done(mutex);
        confirmed = true;
        changed.notify_all();
    });
    // Time for a confirmation that ignores the window to cut into it; one that waits never ends here.
    changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return confirmed; });
    released = true;
    changed.notify_all();
    lock.unlock();
    save.join();
    confirm.join();
    EXPECT_EQ(station.actions(),
              (std::vector<SystemAction>{
                  SystemAction::RemountSettingsReadWrite, SystemAction::RemountSettingsReadOnly,
                  SystemAction::RemountSettingsReadWrite, SystemAction::RemountSettingsReadOnly}));
}

TEST(UpdateConfirmation, RootIsRemountedReadOnlyEvenWhenTheRemovalFails) {
    TestStation station;
    std::ofstream(station.path("/opt/good")) << "";
    station.system().failAction(SystemAction::RemoveFile, 1);
    config::DeleteLastGoodLink(station.works);
    EXPECT_EQ(station.actions()[2], SystemAction::RemountRootReadOnly);
    EXPECT_TRUE(station.log.contains("can't delete /opt/good error"));
}

}  // namespace
