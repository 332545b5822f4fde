#include "amp/filter_select.h"
#include "config/filter_files.h"
#include "core/flag_bits.h"
#include "core/works.h"
#include "platform/log.h"
#include "ui/button_labels.h"
#include "ui/key_dispatch.h"
#include "ui/key_states.h"

namespace ui {
namespace {

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
            works.filterSel = wrapStep(works.filterSel, event.key == 2 ? -1 : 1, core::kFilterRows);
            break;
        case 5:
        case 6:
            amp::EnDisFilter(works, event.key == 5 ? 1 : 0);
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
        case 4:
            if (config::ListFile_Filter(works) != 0) platform::logError("can't open /mnt");
            break;
        case 6:
            if (config::VeryfyFilterFileUSB(works) == 0) {
                works.usbLoadState = 2;
                works.screenState = screen::FilterConfirm;
            } else {
                works.usbLoadState = 1;
            }
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
        // YES loads the checked file as the filter table.
        if (config::LoadFilterFileUSB(works)) amp::SetFilterFromfreq(works);
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
