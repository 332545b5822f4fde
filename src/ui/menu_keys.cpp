#include "core/flag_bits.h"
#include "core/works.h"
#include "ui/button_labels.h"
#include "ui/key_states.h"
#include "ui/settings_menu.h"

namespace ui {
namespace {

// While a software update is armed the menu stays open: its message is shown there.
bool softwareUpdateArmed(const core::Works& works) {
    return (works.serviceFlags & core::serviceFlags::SoftwareUpdateArmed) != 0;
}

int menuListKey(core::Works& works, int key) {
    switch (key) {
        case 1:
            if (!softwareUpdateArmed(works)) {
                works.panelFlags &= static_cast<uint8_t>(~core::panelFlags::UpdateMessage);
                works.screenState = screen::Main;
            }
            break;
        case 3:
            moveMenuSelection(works, -1);
            break;
        case 4:
            moveMenuSelection(works, 1);
            break;
        case 6:
            if (selectedMenuItem(works).editable) works.screenState = screen::MenuEdit;
            break;
        default:
            break;
    }
    return 0;
}

// The screen after ENTER: the page an item opened, else the menu list.
int32_t screenAfterEnter(const core::Works& works) {
    const uint8_t pages = works.pageFlags;
    if ((pages & core::pageFlags::BankTable) != 0) return screen::BankTable;
    if ((pages & core::pageFlags::FilterSettings) != 0) return screen::FilterSettings;
    if ((pages & core::pageFlags::FilterLoad) != 0) return screen::FilterLoad;
    return softwareUpdateArmed(works) ? screen::MenuEdit : screen::MenuList;
}

int menuEditKey(core::Works& works, int key) {
    constexpr int kCodes[] = {
        -1, -1, editCode::Left, editCode::Right, editCode::Minus, editCode::Plus, editCode::Enter};
    if (key < 2 || key > 6) return 0;
    const int repeat = ModifyParameter(works, kCodes[key]);
    // An item that left the editor itself (the firmware update goes to the main screen) keeps its screen.
    if (key == 6 && works.screenState == screen::MenuEdit) works.screenState = screenAfterEnter(works);
    return repeat;
}

}  // namespace

int menuKey(core::Works& works, KeyEvent event) {
    return works.screenState == screen::MenuList ? menuListKey(works, event.key)
                                                 : menuEditKey(works, event.key);
}

}  // namespace ui
