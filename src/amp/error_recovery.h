#pragma once
// Recovering from errors: the error key's recovery resets the amplifier's
// protection and bias, clears the list and restarts the remote threads an
// error had stopped.

namespace core {
struct AmpRecord;
}  // namespace core

namespace amp {

// The error key: 1 when it handled errors and the key's own action is skipped.
int GPIO_Errori(core::AmpRecord& works);
void GestErrore(core::AmpRecord& works);
void GestErroreRemote(core::AmpRecord& works);
void GestErroreSerial(core::AmpRecord& works);
void ResetBiasCmd(core::AmpRecord& works);
void ClearDisplayError(core::AmpRecord& works);
void VerificaEsistonoErrori(core::AmpRecord& works);

}  // namespace amp
