#include "core/tiny_mailbox.h"

#include <chrono>

#include "core/record/amp_record.h"
#include "core/threads.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace core {
namespace {

// Without a GPIO thread nobody empties the mailbox, and a stuck tiny link
// must not hang the caller (main's start-up, the countdown) for ever.
constexpr int kMailboxTimeoutMs = 2000;

bool waitMailboxEmpty(AmpRecord& works) {
    for (int waited = 0; works.tinyMailbox != 0; ++waited) {
        if (!works.threads->alive(ThreadId::GPIO) || waited >= kMailboxTimeoutMs) return false;
        works.platform->clock().sleepFor(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace

void CmandoTinyconAttesaStato(AmpRecord& works, uint8_t cmd) {
    bool delivered = works.threads->alive(ThreadId::GPIO);
    for (int copy = 0; copy < 2 && delivered; ++copy) {
        delivered = waitMailboxEmpty(works);
        if (delivered) works.tinyMailbox = cmd;
    }
    delivered = delivered && waitMailboxEmpty(works);
    if (!delivered) {
        uint8_t posted = cmd;
        works.tinyMailbox.compare_exchange_strong(posted, 0);
        platform::logError("tiny controller not served, command %d dropped", cmd);
    }
    platform::trace("CmandoTinyconAttesaStato stato: ...%x\n", works.tinyStatus.load());
}

}  // namespace core
