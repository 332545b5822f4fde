#pragma once
// The factory default: every memory bank's files removed, the setup back to
// its defaults, the amplifier's start-up list sent again and the bank reloaded.
#include "core/works.h"

namespace tuner {

void InitVar_Default(core::Works& works);

}  // namespace tuner
