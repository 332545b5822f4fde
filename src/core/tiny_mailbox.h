#pragma once
#include <cstdint>

namespace core {

struct AmpRecord;

// Hands a command byte to the front panel's tiny controller, twice, through
// the mailbox that the GPIO thread serves.
void CmandoTinyconAttesaStato(AmpRecord& works, uint8_t cmd);

}  // namespace core
