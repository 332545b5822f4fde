#include "ui/panel_screens.h"

#include <mutex>

#include "core/works.h"
#include "ui/framebuffer.h"
#include "ui/text.h"

namespace ui {

const char* startImage(core::Works& works) {
    return works.ampModelFlag == '1' ? "start120" : "start";
}

void showBackground(core::Works& works, const char* name) {
    FrameBuffer* fb = works.fb;
    if (fb == nullptr) return;
    std::lock_guard lock(fb->composeLock);
    works.imageName.set(name);
    getPng(works, 1);
    fbSetBack(fb);
    fbRealize(fb);
}

void showBackgroundText(core::Works& works, int x, int y, const char* text) {
    FrameBuffer* fb = works.fb;
    if (fb == nullptr) return;
    std::lock_guard lock(fb->composeLock);
    fbSetBack(fb);
    putString(9, x, y, text, 255, 255, 255, fb);
    fbRealize(fb);
}

}  // namespace ui
