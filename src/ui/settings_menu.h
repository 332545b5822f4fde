#pragma once
// The settings menu: a flat list of items by section. In the menu list
// (screen state 1) the keys move the selection; in the editor (state 2) they
// change the selected item's value, which ENTER confirms.
#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace core {
struct Works;
}  // namespace core

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

// Item indices of menuPar.
namespace menuItem {
inline constexpr int MaxBanks = 0;
inline constexpr int RxFilters = 1;
inline constexpr int UseMode = 2;
inline constexpr int RemotePassword = 3;
inline constexpr int LongPressTime = 4;
inline constexpr int ScreensaverTimeout = 5;
inline constexpr int PeakActivation = 6;
inline constexpr int PeakReleaseTime = 7;
inline constexpr int EnableTune = 8;
inline constexpr int ForceAttenuator = 9;
inline constexpr int TargetSwr = 10;
inline constexpr int AutoTuneTimeout = 11;
inline constexpr int AtuInstalled = 12;
inline constexpr int PowersUnit = 13;
inline constexpr int TemperaturesUnit = 14;
inline constexpr int ViewOnTx = 15;
inline constexpr int RefLevel = 16;
inline constexpr int RefPosition = 17;
inline constexpr int PointDiv = 18;
inline constexpr int PlotOffset = 19;
inline constexpr int Ip = 20;
inline constexpr int Subnet = 21;
inline constexpr int Gateway = 22;
inline constexpr int Dns = 23;
inline constexpr int P1AlarmSetPoint = 24;
inline constexpr int P2AlarmSetPoint = 25;
inline constexpr int FanWorkMode = 26;
inline constexpr int FreqPeriod = 27;
inline constexpr int FactoryDefault = 28;
inline constexpr int RemoteService = 29;
inline constexpr int SoftwareUpdate = 30;
inline constexpr int FirmwareUpdate = 31;
inline constexpr int TurnOffHardware = 32;
inline constexpr int AdvancedDefault = 33;
}  // namespace menuItem

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
// One LAN address's octet editor: minus and plus change the octet at
// position (wrapping within 0 to 255), left and right move the position
// (wrapping within the four). Returns the new position.
int ModifyIP(int code, std::atomic<uint8_t> (&address)[4], int position);
// The octets of an address item (IP for any other item) and the position
// of the octet being edited.
[[nodiscard]] std::atomic<uint8_t> (&menuAddress(core::Works& works, int item))[4];
[[nodiscard]] std::atomic<int32_t>& menuOctetCursor(core::Works& works, int item);
// The update message the settings menu shows while panelFlags asks for it.
[[nodiscard]] std::string updateMessage(const core::Works& works);
// The menu rows (states 1 and 2), the full-screen pages, the update and
// shutdown messages, and on the main screen the status bar.
void DrawParameters(core::Works& works);

}  // namespace ui
