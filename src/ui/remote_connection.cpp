#include "ui/remote_connection.h"

#include <chrono>

#include "config/last_good_link.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace ui {

void RemoteConnection(core::Works& works) {
    platform::trace("launching ssh\n");
    platform::logInfo("launching ssh");
    config::DeleteLastGoodLink(works);
    works.platform->clock().sleepFor(std::chrono::seconds(1));
    if (const int status = works.platform->system().startServiceShell(); status != 0)
        platform::logError("/opt/sshshell exit %d", status);
    platform::logInfo("launched ssh");
}

}  // namespace ui
