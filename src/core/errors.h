#pragma once
// The error list: raising and clearing errors. The list functions need only
// the error block of the record. Recovering from them acts on
// the amplifier and lives with its link.
#include "core/record/error_block.h"

namespace core {

struct Works;

void AddErrore(ErrorBlock& state, int code);
void DeleteErrore(ErrorBlock& state, int code);
// The auxiliary port's open error, which DeleteErrore keeps: for an interface
// type that does not use that port.
void DeleteQorPortError(ErrorBlock& state);
[[nodiscard]] int ExistError(ErrorBlock& state, int code);
// The oldest listed code, or -1.
[[nodiscard]] int ExistAnError(ErrorBlock& state);
// True when a code other than the temperature alarms and warnings is listed.
[[nodiscard]] bool VerifyError(ErrorBlock& state);

// The two text lines and flags of every code (the error part of the menu set-up).
void InitErrorDescriptors(Works& works);

// Removes the listed warnings the error key simply clears, or every listed code.
void VerifyWarningTemporanei(ErrorBlock& state);
void VerifyWarningTemporaneiDopoResetBias(ErrorBlock& state);
// The heat-sink alarms and warnings, which the error key leaves to the thermal protection.
[[nodiscard]] bool isTemperatureError(int code);

}  // namespace core
