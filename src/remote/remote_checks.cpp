#include "remote/remote_checks.h"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>

#include "config/remote_threads.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "platform/usb_ids.h"
#include "remote/cat_port.h"

namespace remote {

int Find_Remote_Settings(core::Works& works) {
    const std::optional<bool> present =
        works.platform->system().usbDevicePresent(platform::QorUsbVendorId, platform::QorUsbProductId);
    if (!present.value_or(false)) return 1;
    // A running bridge holds the port it found; probing would talk over it.
    if (works.status_cat != 1) {
        if (VerifyCAT(works) != 0) {
            platform::trace("---CAT: Unable to open device %s\n",
                            works.setup->text(works.setup->CatPort).c_str());
            return 2;
        }
        // The bridge searches anew when it starts: the port found here is not kept open.
        works.catFD = -1;
        works.catPort.store(nullptr);
    }
    return VerifyAudioQOR(works) < 1 ? 3 : 0;
}

int VerifyAudioQOR(core::Works& works) {
    const std::optional<std::string> count = works.platform->system().transceiverAudioCount();
    if (!count) {
        platform::trace("Error opening pipe.\n");
        return 0;
    }
    return std::atoi(count->c_str());
}

int Get_AudioQOR(core::Works& works) {
    const std::optional<std::string> listing = works.platform->system().cMediaUsbDevices();
    if (!listing) {
        platform::trace(" Error!\n");
        return 0;
    }
    std::istringstream lines(*listing);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        platform::trace("----------------- %s\n", line.c_str());
    return count;
}

void decideRemoteAtStartUp(core::Works& works) {
    core::SetupRecord& setup = *works.setup;
    const bool anyEnabled = setup.EnableWrite == '1' || setup.EnableRead == '1' || setup.EnableCAT == '1' ||
                            setup.EnableFFT == '1';
    if (!anyEnabled) return;
    platform::Clock& clock = works.platform->clock();
    config::ExitThreadRemote(works);
    clock.sleepWhileRunning(std::chrono::seconds(2), works.running);
    const int found = Find_Remote_Settings(works);
    const int audio = Get_AudioQOR(works);
    if (found == 0 && setup.enaser == '1' && audio != 0) {
        works.remoteFault = 0;
        platform::trace("Remote GO!\n");
    } else {
        works.remoteFault = 1;
    }
    works.remoteChecked = 1;
    works.useModeRemote = works.remoteFault == 0 ? 1 : 0;  // where the panel's "Use Mode" starts
    if (works.remoteFault == 0) config::StartThreadCommRemote(works);
    clock.sleepWhileRunning(std::chrono::seconds(2), works.running);
}

}  // namespace remote
