#include "ui/keyboard_thread.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "config/setup.h"
#include "core/flag_bits.h"
#include "core/works.h"
#include "platform/keyboard_device.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "ui/remote_connection.h"

namespace ui {
namespace {

using namespace std::chrono_literals;

constexpr auto kRetryPause = 20s;
// How long a read waits for a key before the run flag is looked at again.
constexpr auto kReadTimeout = 100ms;
constexpr int kKeyPress = 1;

void logAndTrace(const char* text) {
    platform::logInfo("%s", text);
    platform::trace("%s\n", text);
}

// The first keyboard present, opened and grabbed; nothing, after a pause,
// when there is none or it cannot be opened.
std::unique_ptr<platform::KeyboardDevice> openKeyboard(core::Works& works, std::string& path) {
    path = platform::findKeyboard(works.platform->root());
    if (path.empty()) {
        works.platform->clock().sleepWhileRunning(kRetryPause, works.running);
        return nullptr;
    }
    std::unique_ptr<platform::KeyboardDevice> device = works.platform->keyboardDevice();
    if (!device->open(path)) {
        const int error = errno;
        platform::logErrorAndTrace("Cannot open %s, error %d -%s", path.c_str(), error, std::strerror(error));
        works.platform->clock().sleepWhileRunning(kRetryPause, works.running);
        return nullptr;
    }
    logAndTrace("Keyboard opened");
    if (!device->grab()) {
        const int error = errno;
        platform::logError("Cannot grab %s, error %d -%s", path.c_str(), error, std::strerror(error));
    }
    works.platform->system().stopConsoleEcho();
    return device;
}

void takeScreenshot(core::Works& works) {
    logAndTrace("launching screenshot");
    if (const int status = works.platform->system().takeScreenshot(); status != 0)
        platform::logError("/usr/bin/fbgrab exit %d", status);
    logAndTrace("launched screenshot");
}

// The keys other than the exit key.
void serviceKey(core::Works& works, int code) {
    switch (code) {
        case KEY_SYSRQ:
            takeScreenshot(works);
            break;
        case KEY_F11:
            platform::logInfo("Save setup");
            config::writeSetup(works);
            break;
        case KEY_F10:
            RemoteConnection(works);
            works.serviceFlags |= core::serviceFlags::RemoteService;
            break;
        default:
            break;
    }
}

void exitProgram(core::Works& works, std::unique_ptr<platform::KeyboardDevice> device) {
    platform::logInfo("Exited by KEY_F12");
    works.running = 0;
    device.reset();
    platform::System& system = works.platform->system();
    system.restoreConsoleAtExit();
    system.clearConsole();
}

}  // namespace

void keyb(core::Works& works) {
    platform::trace("keyb open..\n");
    platform::trace("%s\n", std::string(113, '*').c_str());
    platform::logInfo("Keyboard function entered");
    std::string path;
    std::unique_ptr<platform::KeyboardDevice> device;
    while (works.running != 0) {
        if (device == nullptr) {
            device = openKeyboard(works, path);
            if (device != nullptr)
                platform::logInfo("Continuous keyboard loop started, please end using Control C\n");
            continue;
        }
        input_event event{};
        const platform::KeyboardRead result = device->read(event, kReadTimeout);
        if (result == platform::KeyboardRead::Failed) {
            const int error = errno;
            platform::logError("error reading %s, error %d -%s", path.c_str(), error, std::strerror(error));
            // A keyboard pulled out fails every read at once: rather than
            // spin, let it go and look for one again after the pause.
            device.reset();
            works.platform->clock().sleepWhileRunning(kRetryPause, works.running);
            continue;
        }
        if (result != platform::KeyboardRead::Event || event.type != EV_KEY || event.value != kKeyPress)
            continue;
        if (event.code == KEY_F12) {
            exitProgram(works, std::move(device));
            return;
        }
        serviceKey(works, event.code);
    }
    works.platform->system().restoreConsole();
}

}  // namespace ui
