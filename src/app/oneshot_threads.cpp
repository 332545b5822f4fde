#include "app/oneshot_threads.h"

#include <chrono>
#include <cstdio>

#include "config/last_good_link.h"
#include "core/tiny_mailbox.h"
#include "core/works.h"
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

void AggFWThread(Works& works) {
    // The new software counts as good once it has run for thirty seconds.
    if (works.platform->clock().sleepWhileRunning(std::chrono::seconds(30), works.running))
        config::DeleteLastGoodLink(works);
}

}  // namespace app
