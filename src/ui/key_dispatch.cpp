#include "ui/key_dispatch.h"

#include "core/flag_bits.h"
#include "core/status_bits.h"
#include "core/works.h"
#include "ui/button_labels.h"
#include "ui/key_states.h"
#include "ui/main_loop.h"

namespace ui {

bool lockedOperation(const core::Works& works) {
    constexpr uint8_t kLocking =
        core::ampStatus::Transmitting | core::ampStatus::SwrAlarm | core::ampStatus::Protection;
    return (works.ampStatus & kLocking) != 0 || (works.ampStatus3 & core::ampStatus3::Keyed) != 0;
}

void restoreWorkImage(core::Works& works) {
    works.redrawRequest = core::redraw::WorkImage;
}

void showPageImage(core::Works& works, const char* name) {
    works.imageName.set(name);
    works.redrawRequest = core::redraw::ImageName;
}

int32_t wrapStep(int32_t value, int step, int32_t count) {
    if (count <= 0) return 0;
    const int32_t next = (value + step) % count;
    return next < 0 ? next + count : next;
}

int DecodeTasto(core::Works& works, int key, int held) {
    if (works.shutdownState != 0) return 0;
    if (DisattivoScreenSave(works) != 0) return 0;
    works.panelFlags &= static_cast<uint8_t>(~core::panelFlags::Locked);
    const KeyEvent event{key, held != 0};
    int repeat = 0;
    switch (works.screenState) {
        case screen::Main:
            repeat = mainScreenKey(works, event);
            break;
        case screen::MenuList:
        case screen::MenuEdit:
            repeat = menuKey(works, event);
            break;
        case screen::TuneMenu:
            repeat = tuneMenuKey(works, event);
            break;
        case screen::ManualTune:
            repeat = manualTuneKey(works, event);
            break;
        case screen::SaveTune:
            repeat = saveTuneKey(works, event);
            break;
        case screen::BankTable:
        case screen::BankCellEdit:
        case screen::BankUtilities:
        case screen::BankCopy:
        case screen::BankReset:
            repeat = bankPageKey(works, event);
            break;
        case screen::FilterSettings:
        case screen::FilterLoad:
        case screen::FilterConfirm:
            repeat = filterPageKey(works, event);
            break;
        case screen::StatusPage:
            repeat = statusPageKey(works, event);
            break;
        default:
            break;
    }
    works.panelFlags &= static_cast<uint8_t>(~core::panelFlags::SecondFunction);
    return repeat;
}

}  // namespace ui
