#pragma once
// Raising, clearing and recovering from errors: the error key's recovery
// resets the amplifier's protection and bias, clears the list and restarts
// the remote threads an error had stopped.
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

// The error key: 1 when it handled errors and the key's own action is skipped.
int GPIO_Errori(Works& works);
void GestErrore(Works& works);
void GestErroreRemote(Works& works);
void GestErroreSerial(Works& works);
void ResetBiasCmd(Works& works);
void ClearDisplayError(Works& works);
void VerifyWarningTemporanei(Works& works);
void VerifyWarningTemporaneiDopoResetBias(Works& works);
void VerificaEsistonoErrori(Works& works);

}  // namespace core
