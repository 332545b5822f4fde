#include "ui/status_bar.h"

#include <cstdarg>
#include <cstdio>

#include "amp/measurements.h"
#include "core/flag_bits.h"
#include "core/status_bits.h"
#include "core/tune_value_bits.h"
#include "core/works.h"
#include "tuner/antenna_selection.h"
#include "ui/framebuffer.h"
#include "ui/printed.h"
#include "ui/text.h"

namespace ui {
namespace {

constexpr int kSlot = 8;

struct Box {
    int x0, x1, textX;
};
constexpr std::array<Box, 7> kTopBoxes{{{1, 110, 10},
                                        {115, 260, 125},
                                        {265, 400, 275},
                                        {405, 520, 415},
                                        {525, 600, 535},
                                        {605, 710, 615},
                                        {715, 799, 725}}};
constexpr int kTopY0 = 278, kTopY1 = 303, kTopBaseline = 298;
constexpr std::array<Box, 2> kBottomBoxes{{{1, 400, 10}, {405, 799, 415}}};
constexpr int kBottomY0 = 307, kBottomY1 = 332, kBottomBaseline = 327;

struct PanelMessage {
    uint8_t bit;
    const char* text;
};

// By panelFlags bit, lowest first; the update message is drawn by the settings menu.
constexpr std::array<PanelMessage, 7> kPanelMessages{{
    {core::panelFlags::SecondFunction, "Entering second function..."},
    {core::panelFlags::BypassNotSaved, "ATU ByPass not saved!"},
    {core::panelFlags::LocalMode, "Set to Local Mode: Remote not started. Verify connections."},
    {core::panelFlags::Locked, "Locked operation."},
    {core::panelFlags::TuneDisabled, "TUNE not Enabled."},
    {core::panelFlags::BypassActive, "ByPass active."},
    {core::panelFlags::WaitingForTune, "Waiting for Tune..."},
}};

constexpr std::array<const char*, 3> MODEwork{"Generic", "VYXQOR", " FT-817"};

// Network of the tuner word's mode bits.
const char* networkName(uint32_t tuneValue) {
    switch (tuneValue & core::tuneValue::ModeMask) {
        case core::tuneValue::NetworkCL:
            return "CL";
        case core::tuneValue::NetworkLC:
            return " LC";
        case core::tuneValue::Bypass:
            return "ByP";
        default:
            return "---";
    }
}

void DrawDebugOverlay(core::Works& works) {
    FrameBuffer* fb = works.fb;
    putString(
        kSlot, 15, 245,
        printed("PW %04d FWD %04d REFL %04d  (%X) REF:%02.02fW", works.adcPowerIn.load(), works.adcFwd.load(),
                works.adcRefl.load(), works.ampStatus.load(), static_cast<double>(works.powerRefl.load()))
            .c_str(),
        250, 0, 0, fb);
    putString(kSlot, 510, 245,
              printed("freq %lu L%i,C%i,%s", static_cast<unsigned long>(works.frequency.load()),
                      works.tuneL.load(), works.tuneC.load(), networkName(works.tuneValue))
                  .c_str(),
              250, 0, 0, fb);
    putString(kSlot, 345, 165, printed("SWR:%02.02f", static_cast<double>(works.swr.load())).c_str(), 250, 0,
              0, fb);
    putString(kSlot, 550, 135, printed("PWR IN:%02.01f", static_cast<double>(works.powerIn.load())).c_str(),
              250, 0, 0, fb);
}

}  // namespace

const char* GetLblInterface(int index) {
    return index >= 0 && index < static_cast<int>(MODEwork.size()) ? MODEwork[static_cast<size_t>(index)]
                                                                   : "";
}

float ConversionCelsius_to_Fahrenheit(float celsius) {
    return celsius * 9.0f / 5.0f + 32.0f;
}

std::string bandText(int32_t frequency, std::string_view bandName) {
    if (frequency >= 26000000 && frequency <= 28000000) return "NOPA";
    if (bandName.empty()) return "Band:---";
    return "Band:" + std::string(bandName);
}

StatusBarTexts statusBarTexts(core::Works& works) {
    StatusBarTexts texts;
    texts.top[0] = GetLblInterface(works.ModeWorkIdx);
    texts.top[1] = (works.ampStatus0 & core::ampStatus0::CoaxRxTx) != 0 ? "Coax:RX+TX" : "  Coax:RTX";
    const int32_t frequency = works.frequency;
    texts.top[2] = bandText(frequency, tuner::bandNameOf(works, frequency));
    const unsigned attenuator = works.attenuator;
    if (works.bypass == 1)
        texts.top[3] = "Att StdBy";
    else
        texts.top[3] = printed("Att %sdB", attenuator < AttVectStr.size() ? AttVectStr[attenuator] : "-");
    texts.top[4] = printed("Ant %d", works.NumAntenna + 1);
    texts.top[5] = works.tunerBypass != 0 ? "Atu: ByP" : "Atu: On";
    const bool remote = works.useModeRemote != 0;
    texts.top[6] = remote ? "Remote" : "Local";
    texts.remoteStopped = remote && works.remoteStopped != 0;

    const bool fahrenheit = works.TempMode != 0;
    auto degrees = [fahrenheit](float celsius) {
        return static_cast<double>(fahrenheit ? ConversionCelsius_to_Fahrenheit(celsius) : celsius);
    };
    texts.temperatures =
        printed(fahrenheit ? "PA1:%04.01f°F   P2:%04.01f°F    CPU:%04.01f°F"
                           : "PA1:%04.01f°C   P2:%04.01f°C    CPU:%04.01f°C",
                degrees(works.temperature1), degrees(works.temperature2), degrees(works.cpuTemp));

    const float volts = amp::CalvTensVadcAmp(works, works.tinyResult3);
    const double amperes = static_cast<double>(works.currentRaw.load()) / 4096 * 14.05;
    if (works.ampModelFlag != '1' && volts > 20.0f)
        texts.supply = printed("PA Voltage: -----       Current: %04.01fA", amperes);
    else
        texts.supply =
            printed("PA Voltage: %04.01fV       Current: %04.01fA", static_cast<double>(volts), amperes);
    return texts;
}

std::string panelMessage(const core::Works& works) {
    const unsigned flags = works.panelFlags;
    for (const PanelMessage& message : kPanelMessages)
        if ((flags & message.bit) != 0) return message.text;
    return works.tuneState != 0 ? "Press Tune Key to abort" : "";
}

void DrawStatusBar(core::Works& works) {
    FrameBuffer* fb = works.fb;
    const StatusBarTexts texts = statusBarTexts(works);
    for (size_t i = 0; i < kTopBoxes.size(); ++i) {
        const Box& box = kTopBoxes[i];
        DrawRect(works, box.x0, kTopY0, box.x1, kTopY1, 200, 200, 200);
        const bool red = i == 6 && texts.remoteStopped;
        putString(kSlot, box.textX, kTopBaseline, texts.top[i].c_str(), red ? 250 : 0, red ? 0 : 200,
                  red ? 0 : 255, fb);
    }
    const std::array<const std::string*, 2> bottom{&texts.temperatures, &texts.supply};
    for (size_t i = 0; i < kBottomBoxes.size(); ++i) {
        const Box& box = kBottomBoxes[i];
        DrawRect(works, box.x0, kBottomY0, box.x1, kBottomY1, 100, 100, 100);
        putString(kSlot, box.textX, kBottomBaseline, bottom[i]->c_str(), 0, 200, 0, fb);
    }
    const std::string message = panelMessage(works);
    if (!message.empty()) putString(kSlot, 5, 350, message.c_str(), 250, 250, 250, fb);
    if (works.debugOverlay != 0) DrawDebugOverlay(works);
}

}  // namespace ui
