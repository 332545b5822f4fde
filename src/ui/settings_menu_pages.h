#pragma once
// The full-screen pages the settings menu and the key dispatch open over the
// main screen. The caller holds works.fb->composeLock and works.fb is set.

namespace core {
struct Works;
}  // namespace core

namespace ui {

void DrawBankTablePage(core::Works& works);
void DrawFilterSettingsPage(core::Works& works);
void DrawFilterLoadPage(core::Works& works);

}  // namespace ui
