#pragma once
// The labels of the six front-panel buttons: two lines per button for every
// screen state, as filled at start-up, with the live values of the current
// state put in just before the bar is drawn. Labels are worked out on the
// drawing thread from the record, so no other thread writes label text.
#include <array>
#include <cstdint>
#include <string>

namespace core {
struct Works;
}  // namespace core

namespace ui {

inline constexpr int kButtons = 6;
inline constexpr int kScreenStates = 20;

// Screen states of the key dispatch.
namespace screen {
inline constexpr int32_t Main = 0;
inline constexpr int32_t MenuList = 1;
inline constexpr int32_t MenuEdit = 2;
inline constexpr int32_t TuneMenu = 3;
inline constexpr int32_t ManualTune = 4;
inline constexpr int32_t BankTable = 6;
inline constexpr int32_t BankCellEdit = 7;
inline constexpr int32_t SaveTune = 8;
inline constexpr int32_t BankUtilities = 9;
inline constexpr int32_t BankCopy = 10;
inline constexpr int32_t BankReset = 11;
inline constexpr int32_t FilterSettings = 12;
inline constexpr int32_t StatusPage = 13;
inline constexpr int32_t FilterLoad = 14;
inline constexpr int32_t FilterConfirm = 15;
}  // namespace screen

// Bits of a row's flags: a long-press function on button 1 / button 6.
namespace longPressMark {
inline constexpr uint8_t Button1 = 1u << 0;
inline constexpr uint8_t Button6 = 1u << 5;
}  // namespace longPressMark

struct ButtonRow {
    // Button b's lines are text[2 * b] and text[2 * b + 1].
    std::array<std::string, 2 * kButtons> text;
    uint8_t flags = 0;
};

// The start-up labels of a screen state; an empty row for states without one.
[[nodiscard]] const ButtonRow& Novamenu(int32_t state);

// The labels of the current state with its live values.
[[nodiscard]] ButtonRow currentButtonLabels(core::Works& works);

// The live labels of one state, each written into the row of its state.
void SetAttenuatorLabel(const core::Works& works, ButtonRow& row);  // main screen
void LblMenuAntenna(const core::Works& works, ButtonRow& row);      // main screen
void LabelByPassATU(const core::Works& works, ButtonRow& row);      // tune menu
void ImpostaLblManuale(const core::Works& works, ButtonRow& row);   // manual tune
void SetModeWorkLabel(const core::Works& works, ButtonRow& row);    // bank table
void LabelSAVEATU(const core::Works& works, ButtonRow& row);        // save tune
void LblCOPY(const core::Works& works, ButtonRow& row);             // bank copy
void LblRESET(const core::Works& works, ButtonRow& row);            // bank reset

}  // namespace ui
