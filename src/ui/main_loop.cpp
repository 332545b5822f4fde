#include "ui/main_loop.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

#include "amp/filter_select.h"
#include "amp/startup_commands.h"
#include "amp/thermal.h"
#include "core/amp_commands.h"
#include "core/flag_bits.h"
#include "core/status_bits.h"
#include "core/threads.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "tuner/antenna_selection.h"
#include "tuner/bank_events.h"
#include "ui/button_bar.h"
#include "ui/framebuffer.h"
#include "ui/meters.h"
#include "ui/spectrum_plot.h"
#include "ui/text.h"
#include "ui/tune_coordination.h"

namespace ui {
namespace {

constexpr int kTempLogIntervalMs = 5000;

bool transmitting(const core::Works& works) {
    return (works.ampStatus & core::ampStatus::Transmitting) != 0;
}

void drawFailureBanner(core::Works& works) {
    const int failed = works.failedThread;
    if (failed > 0) {
        char text[128];
        std::snprintf(text, sizeof text, "Error! %s", works.failedThreadText.get().c_str());
        putString(8, 100, 400, text, 250, 250, 250, works.fb);
    } else if (failed == -1) {
        works.screenState = 0;
        SetWorkImg(works);
        works.failedThread = 0;
    }
}

// While the amplifier transmits, window viewTx is shown; afterwards the
// previous one comes back.
void followTransmitView(core::Works& works, std::time_t now) {
    const int view = works.viewTx;
    const bool validView = view >= 1 && view <= 5;
    if (!transmitting(works)) {
        // Restored even when viewTx was switched off meanwhile.
        if (works.viewBeforeTx >= 0) {
            works.mainWindow = works.viewBeforeTx.load();
            SetWorkImg(works);
            works.viewBeforeTx = -1;
        }
    } else {
        if (validView && works.viewBeforeTx == -1) {
            works.viewBeforeTx = works.mainWindow.load();
            works.mainWindow = view;
            SetWorkImg(works);
        }
        DisattivoScreenSave(works, now);
    }
    if ((works.ampStatus3 & core::ampStatus3::Keyed) != 0) DisattivoScreenSave(works, now);
}

void resetAntennaInput(core::Works& works) {
    if (works.antennaIn <= 0) return;
    works.antennaIn = 0;
    amp::IncPNTIn_CMDLinear(core::cmd::AntennaInput, works);
}

// The maker's transceiver's state for this tick; empty when it is not the
// interface or its record could not be copied.
std::optional<core::QorParams> transceiverState(core::Works& works) {
    core::QorParams params{};
    if (works.ModeWorkIdx != 1 || !works.services->getParameters(params, works)) return std::nullopt;
    return params;
}

void followFrequency(core::Works& works, std::time_t now, const std::optional<core::QorParams>& transceiver) {
    switch (works.ModeWorkIdx) {
        case 1: {
            // The active frequency of the transceiver's record, once a block has brought one.
            const int32_t active = transceiver ? (*transceiver)[core::qorWord::ActiveFrequency] : 0;
            if (active > 0 && !transmitting(works)) works.frequency = active;
            break;
        }
        case 0:
            works.frequency = works.ampFrequency.load();
            resetAntennaInput(works);
            break;
        case 2:
            works.frequency = works.catSerialFreq.load();
            resetAntennaInput(works);
            break;
        default:
            break;
    }
    // antennaRow -1 is the bank-reload marker: the new bank's table applies at once.
    if (works.frequency == works.lastFrequency && works.antennaRow != -1) return;
    // A running tune holds the band as a transmission does: the link keeps
    // the band's commands back until the tune ends, and the tune's own setting
    // would be replaced by the band's.
    if (transmitting(works) || works.tuneState != 0) return;
    if (works.ModeWorkIdx != 0) amp::IncPNTIn_CMDLinear(core::cmd::Frequency, works);
    amp::SetFilterFromfreq(works);
    amp::SearchCambioSoglie_TS(works);
    tuner::GestioneAntennaAutomatica(works);
    tuner::logBandChange(works);
    works.lastFrequency = works.frequency.load();
    works.tuneFine = 0;
    DisattivoScreenSave(works, now);
}

// The maker's transceiver: its transmission, its antenna input, and the tune
// it starts or waits for.
void followTransceiver(core::Works& works, std::time_t now, const core::QorParams& transceiver) {
    const bool tx = transceiver[core::qorWord::Transmit] == 1;
    works.transceiverTx = tx ? 1 : 0;
    if (tx) DisattivoScreenSave(works, now);
    const int32_t reported = transceiver[core::qorWord::AntennaInput];
    const int32_t input = std::max(reported, 0);
    const int32_t previous = works.antennaIn;
    if (!transmitting(works) && works.tuneState == 0 && !tx && input != previous) {
        works.antennaIn = input;
        amp::IncPNTIn_CMDLinear(core::cmd::AntennaInput, works);
        platform::trace("----------***************** SET ANTENNA IN:%i (%i %i)\n", input, reported, previous);
    }
    CoordinateTune(works, tx);
}

void drawNameText(core::Works& works) {
    const std::string name = works.nameText.get();
    if (!name.empty()) putString(6, 25, 17, name.c_str(), 255, 255, 255, works.fb);
}

// The LAN check again once the minutes since the last one pass 1.
void refreshLanInfo(core::Works& works, std::time_t now) {
    if (works.lanCheckRunning != 0) return;
    const std::time_t elapsed = now - works.lanCheckTime;
    if (elapsed / 60 % 60 > 1) core::StartThreadLANinfo(works);
}

void drawClockLine(core::Works& works) {
    const std::string address = works.IP.get() + " " + works.clockText.get();
    const std::string line = works.updateAvailable != 0 ? "SW UPDATE   " + address : address;
    putString(6, 780 - getStringSpace(6, line.c_str()), 17, line.c_str(), 255, 255, 255, works.fb);
}

void drawMainScreen(core::Works& works, const core::QorParams& transceiver) {
    // A new background first, so that it does not wipe what this tick draws.
    switch (works.redrawRequest.exchange(core::redraw::None)) {
        case core::redraw::WorkImage:
            SetWorkImg(works);
            break;
        case core::redraw::ImageName:
            getPng(works, 1);
            fbSetBack(works.fb);
            break;
        default:
            break;
    }
    const int pages = works.pageFlags;
    // The status page alone hides the clock line.
    if (pages != core::pageFlags::StatusPage) drawClockLine(works);
    drawNameText(works);
    LoadButtons(works, transceiver);
    if (pages != 0) return;
    const int window = works.mainWindow;
    if (window < 4)
        DrawMeters(works);
    else if (window <= 5)
        DrawGrid(works);
}

}  // namespace

void timerTick(core::Works& works, std::time_t now) {
    FrameBuffer* fb = works.fb;
    std::unique_lock<std::mutex> frame;
    if (fb != nullptr) {
        frame = std::unique_lock(fb->composeLock);
        fbSetBack(fb);
    }
    drawFailureBanner(works);
    followTransmitView(works, now);
    ScreenSaverCheck(works, now);
    refreshLanInfo(works, now);
    const std::optional<core::QorParams> transceiver = transceiverState(works);
    followFrequency(works, now, transceiver);
    if (transceiver) followTransceiver(works, now, *transceiver);
    if (works.screenSaverOn != 0) {
        drawNameText(works);
    } else {
        if (works.cpuTempSecond.exchange(now) != now) amp::ReadCPUTemp(works);
        ReadDataOra(works, now);
        if (fb != nullptr) drawMainScreen(works, transceiver.value_or(core::QorParams{}));
    }
    if (fb != nullptr) fbRealize(fb);
    works.services->sendStatusToClient(works);
}

void followFrequencyBetweenTicks(core::Works& works, std::time_t now) {
    // The maker's transceiver's frequency comes with the rest of its record, once a tick.
    if (works.ModeWorkIdx == 1) return;
    std::unique_lock<std::mutex> frame;
    if (works.fb != nullptr) frame = std::unique_lock(works.fb->composeLock);
    followFrequency(works, now, std::nullopt);
}

void ageTimers(core::Works& works, int elapsedMs, TimerAges& ages) {
    int32_t delay = works.retryDelay;
    while (delay > 0 && !works.retryDelay.compare_exchange_weak(delay, std::max(delay - elapsedMs, 0))) {
    }
    AgePeaks(works, elapsedMs);
    if (works.EnableLOGTemp == 1 && works.logStarted != 0) {
        ages.tempLogMs += elapsedMs;
        if (ages.tempLogMs >= kTempLogIntervalMs) {
            amp::LogTempFunction(works, 0);
            ages.tempLogMs = 0;
        }
    }
}

void timer(core::Works& works) {
    TimerAges ages;
    platform::Clock& clock = works.platform->clock();
    works.lastActivity = clock.wallTime();
    // The first tick replaces the start-up status screen by the main window.
    works.redrawRequest = core::redraw::WorkImage;
    while (works.running != 0) {
        const auto start = clock.now();
        uint32_t news = works.frequencyNews;
        timerTick(works, clock.wallTime());
        // The tick's pause; a new frequency meanwhile is followed at once, not a tick later.
        const auto wake = clock.now() + std::chrono::microseconds(works.timerPeriod.load());
        for (auto left = wake - clock.now(); left > left.zero(); left = wake - clock.now()) {
            if (!clock.sleepUnlessChanged(left, works.frequencyNews, news)) break;
            news = works.frequencyNews;
            followFrequencyBetweenTicks(works, clock.wallTime());
        }
        // Time of the whole tick, sleep included: holds and the log interval follow the clock.
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(clock.now() - start);
        ageTimers(works, static_cast<int>(elapsed.count()), ages);
    }
    platform::logInfo("Timer operations end\n");
}

}  // namespace ui
