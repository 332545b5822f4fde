#pragma once
// The error list: raising and clearing errors. Recovering from them acts on
// the amplifier and lives with its link.
#include "core/works.h"

namespace core {

void AddErrore(Works& works, int code);
void DeleteErrore(Works& works, int code);
[[nodiscard]] int ExistError(Works& works, int code);
// The oldest listed code, or -1.
[[nodiscard]] int ExistAnError(Works& works);
// True when a code other than the temperature alarms and warnings is listed.
[[nodiscard]] bool VerifyError(Works& works);

// The two text lines and flags of every code (the error part of the menu set-up).
void InitErrorDescriptors(Works& works);

// Removes the listed warnings the error key simply clears, or every listed code.
void VerifyWarningTemporanei(Works& works);
void VerifyWarningTemporaneiDopoResetBias(Works& works);
// The heat-sink alarms and warnings, which the error key leaves to the thermal protection.
[[nodiscard]] bool isTemperatureError(int code);

}  // namespace core
