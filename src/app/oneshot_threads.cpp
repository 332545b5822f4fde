#include "app/oneshot_threads.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "core/tiny_mailbox.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "ui/panel_screens.h"

namespace app {
// The composition root works on the record and thread set of the core throughout.
using namespace core;

namespace {

void sleepMs(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace

void LoadThread(Works& works) {
    bool tinyNotified = false;
    for (int counter = works.waitQOR; works.startInitThread != 0; --counter) {
        char text[32];
        std::snprintf(text, sizeof text, "Loading ...%2d", counter);
        if (counter == 5 && !tinyNotified) {
            tinyNotified = true;
            CmandoTinyconAttesaStato(works, 181);
        }
        ui::showBackgroundText(works, 300, 400, text);
        platform::trace("Time %s..\n", text);
        sleepMs(1000);
    }
    works.initDone = 1;
}

void LANInfoThread(Works& works) {
    works.lanCheckRunning = 1;
    works.lanCheckTime = std::time(nullptr);
    works.lanCheckRunning = 0;
}

void AggFWThread(Works& works) {
    // The new software counts as good once it has run for thirty seconds.
    for (int second = 0; second < 30; ++second) {
        if (works.running == 0) return;
        sleepMs(1000);
    }
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
        sleepMs(10);
        if (system.remountRootReadOnly() != 0)
            platform::logError("can't mount ro /opt/set/ error %d", errno);
    }
    // Through the file store, so that its remounts never cut into a save's
    // window; the store reports failed remounts itself.
    platform::FileStore::Removal removal = machine.files().removeReportingSteps("/opt/set/good");
    if (!removal.windowOpened) return;
    if (removal.error != 0) platform::logErrorAndTrace("can't delete /opt/set/good error %d", removal.error);
    platform::trace("END AGG FW %i..\n", removal.readOnlyStatus);
}

}  // namespace app
