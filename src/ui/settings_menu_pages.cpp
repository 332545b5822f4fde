#include "ui/settings_menu_pages.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/works.h"
#include "ui/printed.h"
#include "ui/status_bar.h"
#include "ui/text.h"

namespace ui {
namespace {

constexpr int kTitleSlot = 0, kLineSlot = 8, kCellEditSlot = 7;

struct Colour {
    int r, g, b;
};
constexpr Colour kOrange{250, 150, 0}, kLight{250, 250, 250}, kRed{255, 0, 0};

void text(core::Works& works, int slot, int x, int y, const std::string& line, Colour colour) {
    putString(slot, x, y, line.c_str(), colour.r, colour.g, colour.b, works.fb);
}

// The band table's cells after the row number: x of each, by edit column.
constexpr std::array<int, 5> kBankCellX{170, 250, 330, 480, 550};

std::array<std::string, 5> bankCells(const core::AntennaRow& row) {
    return {
        row.drivePower < 0.1f ? std::string("---") : printed("%2.1f", static_cast<double>(row.drivePower)),
        row.ampOn != 0 && row.attenuator < AttVectStr.size() ? AttVectStr[row.attenuator] : "---",
        row.ampOn != 0 ? "On" : "Off (StdBy)", printed("%x", row.antenna),
        row.tunerBypass != 0 ? "Off" : "On"};
}

}  // namespace

void DrawBankTablePage(core::Works& works) {
    text(works, kTitleSlot, 100, 50,
         printed(" Memory Table Bank %i - Interface: %s", works.NumBanco.load(),
                 GetLblInterface(works.ModeWorkIdx)),
         kOrange);
    text(works, kLineSlot, 50, 100, "N    Band    PwrIn    Att(dB)  AmpEnable    Ant       Atu", kLight);
    const core::AntennaRows rows =
        works.antennaTable.with([](const core::AntennaRows& table) { return table; });
    const int count = std::clamp(works.antennaRowCount.load(), 0, core::kAntennaRows);
    const int selected = works.bankTableRow;
    const int editedColumn = works.screenState == 7 ? works.bankTableColumn.load() : -1;
    for (int index = 0; index < count; ++index) {
        const core::AntennaRow& row = rows[static_cast<size_t>(index)];
        const int y = 130 + 22 * index;
        const Colour colour = index == selected ? kOrange : kLight;
        text(works, kLineSlot, 50, y, printed("%i", index), colour);
        text(works, kLineSlot, 90, y, std::string(row.name, strnlen(row.name, sizeof row.name)), colour);
        const std::array<std::string, 5> cells = bankCells(row);
        for (int column = 0; column < static_cast<int>(cells.size()); ++column) {
            const bool edited = index == selected && column == editedColumn;
            text(works, edited ? kCellEditSlot : kLineSlot, kBankCellX[static_cast<size_t>(column)], y,
                 cells[static_cast<size_t>(column)], edited ? kRed : colour);
        }
    }
}

void DrawFilterSettingsPage(core::Works& works) {
    text(works, kTitleSlot, 250, 50, "FILTER SETTINGS", kOrange);
    text(works, kLineSlot, 50, 100, "N    Start (Hz)                 Stop(Hz)                   Enabled",
         kLight);
    const core::FilterRows rows = works.filterTable.with([](const core::FilterRows& table) { return table; });
    const int selected = works.filterSel;
    for (int index = 0; index < core::kFilterRows; ++index) {
        const core::FilterRow& row = rows[static_cast<size_t>(index)];
        const int y = 130 + 22 * index;
        const Colour colour = index == selected ? kOrange : kLight;
        text(works, kLineSlot, 50, y, printed("%i", index), colour);
        text(works, kLineSlot, 90, y, printed("%d", row.Fstart), colour);
        text(works, kLineSlot, 290, y, printed("%d", row.Fstop), colour);
        text(works, kLineSlot, 490, y, row.enabled != 0 ? "On" : "Off", colour);
    }
}

void DrawFilterLoadPage(core::Works& works) {
    text(works, kTitleSlot, 250, 50, "FILTER LOAD FILE", kOrange);
    const auto names = works.usbFileList.with([](const auto& list) { return list; });
    const int count = std::clamp(works.usbFileCount.load(), 0, core::kUsbFiles);
    const int selected = works.usbFileSel;
    for (int index = 0; index < count; ++index) {
        const int y = 130 + 30 * index;
        const Colour colour = index == selected ? kOrange : kLight;
        text(works, kLineSlot, 50, y, printed("%i", index + 1), colour);
        text(works, kLineSlot, 90, y, names[static_cast<size_t>(index)], colour);
    }
    const int state = works.usbLoadState;
    if (state == 1) text(works, kLineSlot, 50, 400, "Warning! Filter File Format Error!", kLight);
    if (state == 2)
        text(works, kLineSlot, 50, 400, "Do you really want to load this new Filter File?", kLight);
}

}  // namespace ui
