#include <iterator>

#include "core/flag_bits.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "ui/framebuffer.h"
#include "ui/main_loop.h"

namespace ui {

int DisattivoScreenSave(core::Works& works, std::time_t now) {
    works.lastActivity = now;
    if (works.screenSaverOn == 0) return 0;
    works.pageFlags = 0;
    // Keys wake the screen from their own thread, which does not draw.
    works.redrawRequest = core::redraw::WorkImage;
    works.screenState = 0;
    works.screenSaverOn = 0;
    platform::trace("----------> DISATTIVO SAVE SCREEN\n");
    return 1;
}

int DisattivoScreenSave(core::Works& works) {
    return DisattivoScreenSave(works, works.platform->clock().wallTime());
}

void ScreenSaverCheck(core::Works& works, std::time_t now) {
    // A tripped protection waits for the operator's reset: nothing may hide
    // its error box, and the idle time counts from the reset.
    if ((works.protFlags & core::protFlags::Tripped) != 0) {
        DisattivoScreenSave(works, now);
        return;
    }
    if (works.screenSaverOn != 0) return;
    const int index = works.SaveScreenIdx;
    if (index < 0 || index >= static_cast<int>(std::size(SaveScreen))) return;
    // Whole idle minutes, so that the 60-minute choice is reached too.
    if ((now - works.lastActivity) / 60 < SaveScreen[index]) return;
    works.screenSaverOn = 1;
    works.imageName.set(works.ampModelFlag == '1' ? "start120" : "start");
    if (works.fb == nullptr) return;
    getPng(works, 1);
    fbSetBack(works.fb);
}

}  // namespace ui
