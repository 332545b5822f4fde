#pragma once
// Recovering from errors: the error key's recovery resets the amplifier's
// protection and bias, clears the list and restarts the remote threads an
// error had stopped.

namespace core {
struct Works;
}  // namespace core

namespace amp {

// The error key: 1 when it handled errors and the key's own action is skipped.
int GPIO_Errori(core::Works& works);
void GestErrore(core::Works& works);
void GestErroreRemote(core::Works& works);
void GestErroreSerial(core::Works& works);
void ResetBiasCmd(core::Works& works);
void ClearDisplayError(core::Works& works);
void VerificaEsistonoErrori(core::Works& works);

}  // namespace amp
