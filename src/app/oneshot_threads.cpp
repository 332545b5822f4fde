#include "app/oneshot_threads.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "core/tiny_mailbox.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "ui/panel_screens.h"

namespace app {
// The composition root works on the record and thread set of the core throughout.
using namespace core;

// One value a second from the start, down to 0, which stays until main ends the
// countdown. The seconds count from the start so that drawing time does not add
// up and cut the countdown short of 0 on a slow machine or a sped-up clock.
// It ends early when the run is stopped during the start-up.
void LoadThread(Works& works) {
    platform::Clock& clock = works.platform->clock();
    const platform::Clock::TimePoint start = clock.now();
    const int32_t length = works.waitQOR;
    bool tinyNotified = false;
    bool running = true;
    for (int counter = length; running && counter >= 0 && works.startInitThread != 0; --counter) {
        char text[32];
        std::snprintf(text, sizeof text, "Loading ...%2d", counter);
        if (counter == 5 && !tinyNotified) {
            tinyNotified = true;
            CmandoTinyconAttesaStato(works, 181);
        }
        ui::showBackgroundText(works, 300, 400, text);
        platform::trace("Time %s..\n", text);
        const platform::Clock::TimePoint next = start + std::chrono::seconds(length - counter + 1);
        running = clock.sleepWhileRunning(next - clock.now(), works.running);
    }
    while (running && works.startInitThread != 0)
        running = clock.sleepWhileRunning(std::chrono::milliseconds(10), works.running);
    works.initDone = 1;
}

void LANInfoThread(Works& works) {
    works.lanCheckRunning = 1;
    works.lanCheckTime = works.platform->clock().wallTime();
    works.lanCheckRunning = 0;
}

void AggFWThread(Works& works) {
    // The new software counts as good once it has run for thirty seconds.
    if (works.platform->clock().sleepWhileRunning(std::chrono::seconds(30), works.running))
        DeleteLastGoodLink(works);
}

void DeleteLastGoodLink(Works& works) {
    platform::Platform& machine = *works.platform;
    platform::System& system = machine.system();
    struct stat status;
    if (::lstat(machine.root().resolve("/opt/good").c_str(), &status) == 0) {
        platform::trace("**** DELETE /OPT/GOOD EXIST !!\n");
        if (system.remountRootReadWrite() != 0) {
            platform::logErrorAndTrace("can't mount rw /opt/set/ error %d", errno);
            return;
        }
        if (system.removeFile("/opt/good") != 0)
            platform::logErrorAndTrace("can't delete /opt/good error %d", errno);
        machine.clock().sleepFor(std::chrono::milliseconds(10));
        if (system.remountRootReadOnly() != 0) platform::logError("can't mount ro /opt/set/ error %d", errno);
    }
    // Through the file store, so that its remounts never cut into a save's
    // window; the store reports failed remounts itself.
    platform::FileStore::Removal removal = machine.files().removeReportingSteps("/opt/set/good");
    if (!removal.windowOpened) return;
    if (removal.error != 0) platform::logErrorAndTrace("can't delete /opt/set/good error %d", removal.error);
    platform::trace("END AGG FW %i..\n", removal.readOnlyStatus);
}

}  // namespace app
