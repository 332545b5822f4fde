#include "core/flag_bits.h"
#include "ui/button_labels.h"
#include "ui/key_dispatch.h"
#include "ui/key_states.h"

namespace ui {
namespace {

constexpr int32_t kFilterRows = 8;

int filterSettingsKey(core::Works& works, KeyEvent event) {
    switch (event.key) {
        case 1:
            if ((works.pageFlags & core::pageFlags::FilterSettings) != 0) {
                works.pageFlags &= static_cast<uint8_t>(~core::pageFlags::FilterSettings);
                restoreWorkImage(works);
                works.screenState = screen::MenuList;
            }
            break;
        case 2:
        case 3:
            works.filterSel = wrapStep(works.filterSel, event.key == 2 ? -1 : 1, kFilterRows);
            break;
        default:
            break;
    }
    return 0;
}

int filterLoadKey(core::Works& works, KeyEvent event) {
    switch (event.key) {
        case 1:
            if ((works.pageFlags & core::pageFlags::FilterLoad) != 0) ExitFromFilterLoad(works);
            break;
        case 2:
        case 3:
            works.usbLoadState = 0;
            works.usbFileSel = wrapStep(works.usbFileSel, event.key == 2 ? -1 : 1, works.usbFileCount);
            break;
        default:
            break;
    }
    return 0;
}

int filterConfirmKey(core::Works& works, KeyEvent event) {
    if (event.key == 5) {
        works.usbLoadState = 0;
        works.screenState = screen::FilterLoad;
    } else if (event.key == 6) {
        ExitFromFilterLoad(works);
    }
    return 0;
}

}  // namespace

int filterPageKey(core::Works& works, KeyEvent event) {
    switch (works.screenState) {
        case screen::FilterSettings:
            return filterSettingsKey(works, event);
        case screen::FilterLoad:
            return filterLoadKey(works, event);
        default:
            return filterConfirmKey(works, event);
    }
}

void ExitFromFilterLoad(core::Works& works) {
    works.usbFileCount = 0;
    works.usbFileSel = 0;
    works.usbLoadState = 0;
    works.pageFlags &= static_cast<uint8_t>(~core::pageFlags::FilterLoad);
    restoreWorkImage(works);
    works.screenState = screen::Main;
}

}  // namespace ui
