#include "core/flag_bits.h"
#include "core/record/setup_record.h"
#include "core/works.h"
#include "ui/framebuffer.h"
#include "ui/main_loop.h"
#include "ui/spectrum_plot.h"

namespace ui {

void SetWorkImg(core::Works& works) {
    const bool model120 = works.ampModelFlag == '1';
    const int window = works.mainWindow;
    switch (window) {
        case 2:
            works.imageName.set(model120 ? "img3b" : "img3");
            break;
        case 4:
        case 5:
            works.imageName.set("m5a");
            setSpectrumMode(works, window);
            break;
        default:
            works.imageName.set(model120 ? "img1b" : "img1");
            break;
    }
    if (works.fb != nullptr) {
        getPng(works, 1);
        fbSetBack(works.fb);
    }
    // Only the maker's transceiver uses the auxiliary serial link.
    if (works.ModeWorkIdx != 1) works.setup->enaser = '0';
}

int EscFromStatus(core::Works& works) {
    if ((works.pageFlags & core::pageFlags::StatusPage) == 0) return 0;
    works.pageFlags.fetch_and(static_cast<uint8_t>(~core::pageFlags::StatusPage));
    works.redrawRequest = core::redraw::WorkImage;
    return 1;
}

}  // namespace ui
