#include "remote/cat_bridge.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

#include "core/error_codes.h"
#include "core/errors.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "remote/cat_port.h"
#include "remote/cat_replies.h"
#include "remote/frame_writers.h"

namespace remote {
namespace {

using std::chrono::milliseconds;

bool enabled(core::Works& works) {
    return works.setup->EnableCAT == '1' && works.running != 0;
}

// Forwards replies until the bridge is stopped or the port fails.
void forwardReplies(core::Works& works, platform::SerialPort& port) {
    platform::Clock& clock = works.platform->clock();
    CatReplies replies;
    while (enabled(works)) {
        if (port.bytesAvailable() == 0) {
            clock.sleepFor(milliseconds(5));
            continue;
        }
        uint8_t byte = 0;
        if (port.readByte(byte) != 1) return;
        if (const std::span<const uint8_t> reply = replies.take(byte); !reply.empty())
            sendWebSockCatFrame(works, reply);
    }
}

}  // namespace

void Cat(core::Works& works) {
    works.status_cat = 0;
    works.platform->clock().sleepWhileRunning(std::chrono::seconds(3), works.running);
    if (VerifyCAT(works) != 0) {
        const std::string catPort = works.setup->text(works.setup->CatPort);
        platform::logError("Unable to open device %s", catPort.c_str());
        platform::trace("CAT: Unable to open device %s\n", catPort.c_str());
        ExitCAT(works);
        return;
    }
    // Held here, the port stays open while the bridge reads it, whoever closes the bridge.
    const std::shared_ptr<platform::SerialPort> port = works.catPort.load();
    if (!port) {
        ExitCAT(works);
        return;
    }
    // The probe read only the first five bytes of "DT001;": its ';' would go to the client as a reply.
    if (!port->flushInput()) platform::logError("CAT input not flushed: %s", std::strerror(errno));
    platform::logInfo("OK works->catFD=%d (%s)", port->fd(), works.setup->text(works.setup->CatPort).c_str());
    works.status_cat = 1;
    forwardReplies(works, *port);
    ExitCAT(works);
}

void ExitCAT(core::Works& works) {
    works.catFD = -1;
    works.status_cat = 0;
    works.catPort.store(nullptr);
    works.remoteFault = 1;
    works.setup->EnableCAT = '0';
    core::AddErrore(works, core::err::RemoteCat);
}

}  // namespace remote
