#pragma once
// The settings menu: a flat list of items by section. In the menu list
// (screen state 1) the keys move the selection; in the editor (state 2) they
// change the selected item's value, which ENTER confirms.
#include <array>
#include <cstdint>
#include <string>

#include "core/works.h"

namespace ui {

struct MenuItem {
    int32_t number;  // shown before the section
    const char* section;
    const char* label;
    bool editable;
    bool address;  // one of the four LAN address items
};

// Items in list order; the last one is shown only in service mode.
inline constexpr int kMenuItemCount = 34;
extern const std::array<MenuItem, kMenuItemCount> menuPar;

// The edit codes of ModifyParameter.
namespace editCode {
inline constexpr int Enter = 0;
inline constexpr int Minus = 1;
inline constexpr int Plus = 2;
inline constexpr int Left = 3;
inline constexpr int Right = 4;
}  // namespace editCode

// The menu's cursor and item count, and the error texts; once, at start-up.
void InitMenuNova(core::Works& works);
// Items the list shows: all but the last outside service mode.
[[nodiscard]] int visibleMenuItems(const core::Works& works);
[[nodiscard]] const MenuItem& selectedMenuItem(const core::Works& works);
// Moves the selection by step (-1 up, +1 down), wrapping over the visible items.
void moveMenuSelection(core::Works& works, int step);
// The item's value text; subIndex is always 0.
[[nodiscard]] std::string LoadParameterMenu(core::Works& works, int item, int subIndex);
// Applies an edit code to the selected item; 1 when a held key should repeat.
int ModifyParameter(core::Works& works, int code);
// The menu rows (states 1 and 2), the full-screen pages, the update and
// shutdown messages, and on the main screen the status bar.
void DrawParameters(core::Works& works);

}  // namespace ui
