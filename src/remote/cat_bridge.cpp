#include "remote/cat_bridge.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "core/error_codes.h"
#include "core/errors.h"
#include "platform/linux/cat_serial.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "remote/cat_port.h"
#include "remote/frame_writers.h"

namespace remote {
namespace {

using std::chrono::milliseconds;

constexpr size_t kReplyBytes = 200;

bool enabled(core::Works& works) {
    return works.setup->EnableCAT == '1' && works.running != 0;
}

// Forwards replies until the bridge is stopped or the port fails.
void forwardReplies(core::Works& works, int fd) {
    platform::Clock& clock = works.platform->clock();
    std::array<uint8_t, kReplyBytes> reply{};
    size_t length = 0;
    while (enabled(works)) {
        if (platform::catBytesWaiting(fd) == 0) {
            clock.sleepFor(milliseconds(5));
            continue;
        }
        uint8_t byte = 0;
        if (::read(fd, &byte, 1) != 1) return;
        // Bytes that never end in ';' within the buffer are dropped.
        if (length == reply.size()) length = 0;
        reply[length++] = byte;
        if (byte == ';') {
            sendWebSockCatFrame(works, std::span<const uint8_t>(reply.data(), length));
            length = 0;
        }
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
    const int fd = works.catFD;
    // The probe read only the first five bytes of "DT001;": its ';' would go to the client as a reply.
    if (!platform::flushCatInput(fd)) platform::logError("CAT input not flushed: %s", std::strerror(errno));
    platform::logInfo("OK works->catFD=%d (%s)", fd, works.setup->text(works.setup->CatPort).c_str());
    works.status_cat = 1;
    forwardReplies(works, fd);
    ExitCAT(works);
}

void ExitCAT(core::Works& works) {
    const int fd = works.catFD.exchange(-1);
    if (works.status_cat.exchange(0) == 1 && fd >= 0) ::close(fd);
    works.remoteFault = 1;
    works.setup->EnableCAT = '0';
    core::AddErrore(works, core::err::RemoteCat);
}

}  // namespace remote
