#pragma once
// The front panel's main loop: every tick recomposes the whole screen,
// follows the operating frequency and then ages the millisecond timers by the
// time the tick took.
#include <ctime>

namespace core {
struct Works;
}  // namespace core

namespace ui {

// Thread entry; returns when works.running drops.
void timer(core::Works& works);

// One tick without its sleep, from fbSetBack to fbRealize; now is the wall time.
void timerTick(core::Works& works, std::time_t now);
// The tick's frequency step alone, for a new frequency of the FT-817 or the
// amplifier's counter during the tick's pause (the FA and the band's commands
// go out without waiting for the next tick).
void followFrequencyBetweenTicks(core::Works& works, std::time_t now);

// Countdowns advanced after every tick.
struct TimerAges {
    int tempLogMs = 0;  // time since the last temperature-log line
};
void ageTimers(core::Works& works, int elapsedMs, TimerAges& ages);

// Screen functions shared with the key dispatch. SetWorkImg and
// ScreenSaverCheck draw into the frame stores, so they run on the main loop,
// which holds works.fb->composeLock; the others only ask the next tick for a
// new background (redrawRequest), so any thread may call them.

// Idle minutes before the screen saver starts, by SaveScreenIdx, and their menu labels.
inline constexpr int SaveScreen[] = {5, 10, 20, 30, 60, 1};
inline constexpr const char* SaveScreenVal[] = {"5min", "10min", "20min", "30min", "60min", "1min"};

// Notes user activity; 1 when it stopped a running screen saver.
int DisattivoScreenSave(core::Works& works, std::time_t now);
int DisattivoScreenSave(core::Works& works);
// Starts the screen saver once the idle time reaches the SaveScreen entry.
void ScreenSaverCheck(core::Works& works, std::time_t now);

// Loads the background of the current mainWindow and copies it to the back store.
void SetWorkImg(core::Works& works);
// 1 when the status information page was shown and is now closed.
int EscFromStatus(core::Works& works);

// Formats the local time into works.clockText, at most once per second.
void ReadDataOra(core::Works& works, std::time_t now);

}  // namespace ui
