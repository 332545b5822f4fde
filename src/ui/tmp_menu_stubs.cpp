#include "ui/settings_menu.h"
#include "ui/status_bar.h"
namespace ui {
const std::array<MenuItem, kMenuItemCount> menuPar{};
void InitMenuNova(core::Works& works) { works.menuCount = 34; }
int visibleMenuItems(const core::Works&) { return 33; }
const MenuItem& selectedMenuItem(const core::Works& works) { return menuPar[works.menuIndex]; }
void moveMenuSelection(core::Works& works, int step) { works.menuIndex = (works.menuIndex + step + 33) % 33; }
std::string LoadParameterMenu(core::Works&, int, int) { return ""; }
int ModifyParameter(core::Works&, int) { return 0; }
void DrawParameters(core::Works& works) {
    const int state = works.screenState;
    if (state != 1 && state != 2 && works.pageFlags == 0) DrawStatusBar(works);
}
}
