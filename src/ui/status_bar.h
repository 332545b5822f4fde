#pragma once
// The status bar of the main screen: a row of boxes with the interface,
// coaxial routing, band, attenuator, antenna, tuner and use mode, a row with
// temperatures, supply voltage and current, one panel message above them,
// and the red service overlay while debugOverlay is set.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace core {
struct Works;
}  // namespace core

namespace ui {

// Attenuator labels in dB by attenuator index.
inline constexpr std::array<const char*, 4> AttVectStr{"0", "2", "3", "5"};
// Name of interface type 0, 1 or 2; empty for any other value.
[[nodiscard]] const char* GetLblInterface(int index);
[[nodiscard]] float ConversionCelsius_to_Fahrenheit(float celsius);

// "Band:<name>", "Band:---" without a name, "NOPA" from 26 to 28 MHz.
[[nodiscard]] std::string bandText(int32_t frequency, std::string_view bandName);

struct StatusBarTexts {
    std::array<std::string, 7> top;  // left to right
    bool remoteStopped = false;      // "Remote" is drawn red
    std::string temperatures;
    std::string supply;
};
[[nodiscard]] StatusBarTexts statusBarTexts(core::Works& works);
// The message of the first panelFlags bit set; "Press Tune Key to abort"
// while a tune runs without one; empty otherwise.
[[nodiscard]] std::string panelMessage(const core::Works& works);

// Both rows and the panel message; the service overlay while debugOverlay is set.
void DrawStatusBar(core::Works& works);

}  // namespace ui
