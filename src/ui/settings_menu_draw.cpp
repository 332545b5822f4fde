// DrawParameters: the menu rows, the pages, and the messages below them.
#include <array>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <utility>

#include "core/flag_bits.h"
#include "core/works.h"
#include "ui/framebuffer.h"
#include "ui/printed.h"
#include "ui/settings_menu.h"
#include "ui/settings_menu_pages.h"
#include "ui/status_bar.h"
#include "ui/text.h"

namespace ui {
namespace {

constexpr int kValueRight = 790;
constexpr int kNumberX = 20, kSectionX = 70, kLabelX = 350;
constexpr int kNeighbourSlot = 1, kNeighbourValueSlot = 11, kCurrentSlot = 7, kListValueSlot = 0;
constexpr int kMessageSlot = 8;

struct Colour {
    int r, g, b;
};
constexpr Colour kOrange{250, 150, 0}, kWhite{255, 255, 255}, kLight{250, 250, 250};

void text(core::Works& works, int slot, int x, int y, const std::string& line, Colour colour) {
    putString(slot, x, y, line.c_str(), colour.r, colour.g, colour.b, works.fb);
}

void rightAligned(core::Works& works, int slot, int y, const std::string& line, Colour colour) {
    text(works, slot, kValueRight - getStringSpace(slot, line.c_str()), y, line, colour);
}

void itemTitle(core::Works& works, const MenuItem& item, int slot, int y, Colour colour) {
    text(works, slot, kNumberX, y, printed("%d -", item.number), colour);
    text(works, slot, kSectionX, y, item.section, colour);
    text(works, slot, kLabelX, y, item.label, colour);
}

// The address in the editor, the octet being edited in orange.
void editedAddress(core::Works& works, int item, int y) {
    const std::atomic<uint8_t>(&octets)[4] = menuAddress(works, item);
    std::array<std::string, 4> digits;
    std::string whole;
    for (size_t octet = 0; octet < digits.size(); ++octet) {
        digits[octet] = printed("%i", octets[octet].load());
        whole += digits[octet] + (octet < 3 ? "." : "");
    }
    const size_t edited = static_cast<size_t>(menuOctetCursor(works, item).load());
    int x = kValueRight - getStringSpace(kCurrentSlot, whole.c_str());
    for (size_t octet = 0; octet < digits.size(); ++octet) {
        text(works, kCurrentSlot, x, y, digits[octet], octet == edited ? kOrange : kLight);
        x += getStringSpace(kCurrentSlot, digits[octet].c_str());
        if (octet == 3) break;
        text(works, kCurrentSlot, x, y, ".", kLight);
        x += getStringSpace(kCurrentSlot, ".");
    }
}

void DrawMenuRows(core::Works& works, bool editing) {
    FrameBuffer* fb = works.fb;
    const int shift = (works.pageFlags & core::pageFlags::StatusPage) != 0 ? 50 : 0;
    for (int y = 285 + shift; y <= 364 + shift; ++y) {
        const int grey = y <= 310 + shift || y >= 340 + shift ? 40 : 80;
        DrawHorizontalLine(0, y, static_cast<int>(fb->width), grey, grey, grey, fb, 0);
    }
    const int count = visibleMenuItems(works);
    int current = works.menuIndex;
    if (current < 0 || current >= count) current = 0;
    const int previous = current == 0 ? count - 1 : current - 1;
    const int next = current + 1 >= count ? 0 : current + 1;

    for (const auto& [index, y] : {std::pair{previous, 305}, std::pair{next, 360}}) {
        itemTitle(works, menuPar[static_cast<size_t>(index)], kNeighbourSlot, y + shift, kOrange);
        rightAligned(works, kNeighbourValueSlot, y + shift, LoadParameterMenu(works, index, 0), kOrange);
    }
    const MenuItem& item = menuPar[static_cast<size_t>(current)];
    const int y = 335 + shift;
    itemTitle(works, item, kCurrentSlot, y, kWhite);
    if (!editing)
        rightAligned(works, kListValueSlot, y, LoadParameterMenu(works, current, 0), kWhite);
    else if (item.address)
        editedAddress(works, current, y);
    else
        rightAligned(works, kCurrentSlot, y, LoadParameterMenu(works, current, 0), kLight);
}

const char* shutdownMessage(int state) {
    switch (state) {
        case 1:
        case 2:
            return "Release Button to Shut Down";
        case 3:
            return "Shut Down...";
        default:
            return nullptr;
    }
}

}  // namespace

std::string updateMessage(const core::Works& works) {
    const int32_t result = works.updateResult;
    const std::string running = result != 0 ? printed("Update UI error %i ", result)
                                            : "Update UI in progress: Wait for reset (max 5 min)";
    if ((works.serviceFlags & core::serviceFlags::RemoteService) != 0) return running;
    switch (works.updateAvailable) {
        case 1:
            return running;
        case 2:
            return printed("UI update: please first update the FW version at %d.%d",
                           works.availFwMajor.load(), works.availFwMinor.load());
        default:
            return "UI is running last version";
    }
}

void DrawParameters(core::Works& works) {
    if (works.fb == nullptr) return;
    if ((works.serviceFlags & core::serviceFlags::FirmwareUpdating) != 0) {
        text(works, kMessageSlot, 10, 400,
             "FW UPDATE: please update firmware with FlashMagic and then reset hardware", kLight);
        return;
    }
    const int state = works.screenState;
    const uint8_t pages = works.pageFlags;
    if (state == 1 || state == 2) DrawMenuRows(works, state == 2);
    if ((pages & core::pageFlags::BankTable) != 0)
        DrawBankTablePage(works);
    else if ((pages & core::pageFlags::FilterSettings) != 0)
        DrawFilterSettingsPage(works);
    else if ((pages & core::pageFlags::FilterLoad) != 0)
        DrawFilterLoadPage(works);
    else if (state != 1 && state != 2 && pages == 0)
        DrawStatusBar(works);
    if ((works.panelFlags & core::panelFlags::UpdateMessage) != 0)
        text(works, kMessageSlot, 5, 400, updateMessage(works), kLight);
    if (const char* message = shutdownMessage(works.shutdownState))
        text(works, kMessageSlot, 5, 400, message, kLight);
}

}  // namespace ui
