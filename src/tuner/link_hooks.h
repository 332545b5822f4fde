#pragma once
// The tuner's share of the amplifier link's work: the link runs a search step
// after every status reply and recalls stored tunes through these.
#include "core/works.h"

namespace tuner {

void InstallLinkHooks(core::Works& works);

}  // namespace tuner
