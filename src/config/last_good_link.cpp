#include "config/last_good_link.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>

#include "core/record/amp_record.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace config {

void DeleteLastGoodLink(core::AmpRecord& works) {
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

}  // namespace config
