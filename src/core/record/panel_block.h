#pragma once
// The front panel's part of the shared record: screens, main loop, meters, spectrum plot.
#include <atomic>
#include <cstdint>
#include <ctime>

#include "core/record/filter_table.h"
#include "core/record/spectrum_data.h"
#include "core/shared_text.h"

namespace core {

namespace redraw {
inline constexpr uint8_t None = 0;
inline constexpr uint8_t WorkImage = 1;  // the background of the current main window
inline constexpr uint8_t ImageName = 2;  // the image named by imageName, a full-screen page
}  // namespace redraw

struct PanelBlock {
    // Screens
    SharedText<32> imageName;
    std::atomic<int32_t> imageX{0}, imageY{0};
    std::atomic<std::time_t> startTime{0};
    SharedText<100> nameText;
    std::atomic<int32_t> screenState{0};
    std::atomic<uint8_t> pageFlags{0};

    // Start-up countdown and settings-menu cursor, shared with the input thread
    std::atomic<int32_t> startInitThread{0}, waitQOR{0};
    std::atomic<int32_t> CntIP{0}, CntDNS{0}, CntNetMask{0}, CntGateway{0};

    // Main loop and meters
    std::atomic<int32_t> timerPeriod{0};  // microseconds slept per tick
    // A new background for the next tick, asked for by threads that do not draw (redraw:: values)
    std::atomic<uint8_t> redrawRequest{0};
    std::atomic<int32_t> viewBeforeTx{0};  // window to return to after a transmission, -1 none
    std::atomic<std::time_t> lastActivity{0};
    std::atomic<uint8_t> screenSaverOn{0};
    std::atomic<float> needle1Angle{0}, needle2Angle{0}, peak1Angle{0}, peak2Angle{0};
    // Peak values, their hold times in ms and their decrement tick counters
    std::atomic<float> peakFwd{0}, peak2{0};
    std::atomic<int32_t> peakFwdHold{0}, peakFwdCount{0}, peak2Hold{0}, peak2Count{0};
    SharedText<80> clockText;
    std::atomic<std::time_t> clockSecond{0};  // the second clockText shows
    // Second of the last board-temperature reading: the program runs at most once a second.
    std::atomic<std::time_t> cpuTempSecond{0};
    std::atomic<uint8_t> debugOverlay{0};

    // Front-panel keys: the byte a start-up key chord sets, and the power-off
    // sequence (0 none, 1 and 2 waiting for key 1's release, 3 shutting down)
    std::atomic<uint8_t> serviceMode{0};
    std::atomic<int32_t> shutdownState{0};
    std::atomic<uint8_t> useModeRemote{0}, remoteStopped{0};
    std::atomic<uint8_t> serviceFlags{0};  // serviceFlags:: bits

    // Key dispatch: the settings menu's cursor and item count, the manual
    // tune screen, and the cursors of the bank-table pages
    std::atomic<int32_t> menuIndex{0}, menuSubIndex{0}, menuCount{0};
    std::atomic<uint8_t> manualTune{0};
    // 1 once the manual tune screen's carrier was switched off: the key then reads "StartTX"
    std::atomic<uint8_t> manualCarrierStopped{0};
    std::atomic<int32_t> bankTableRow{0}, bankTableColumn{-1};  // column -1: no cell is edited
    std::atomic<int32_t> saveBank{0}, saveAntenna{0};
    std::atomic<int32_t> copyOrigin{0}, copyDestination{0};
    std::atomic<int32_t> resetBank{0};  // MAXbank: every bank
    // Filter pages: the filter files found on the USB stick and the one
    // selected, and the load check (0 none, 1 format error, 2 passed: ask for
    // confirmation)
    std::atomic<int32_t> usbFileCount{0}, usbFileSel{0}, usbLoadState{0};
    UsbFileList usbFileList;
    // Settings menu choices that are not settings: the filter item's
    // "Modify" (1) or "Exit" (0), and the service actions armed for ENTER
    std::atomic<uint8_t> filterModify{0}, factoryDefaultArmed{0}, completeDefaultArmed{0}, powerOffArmed{0};

    // Spectrum plot
    SpectrumGrid grid;                     // main loop's thread only
    std::atomic<int32_t> spectrumSpan{0};  // Hz across the grid
};

}  // namespace core
