#pragma once
// The factory default: every memory bank's files removed, the setup back to
// its defaults, the amplifier's start-up list sent again and the bank reloaded.

namespace core {
struct AmpRecord;
}  // namespace core

namespace tuner {

void InitVar_Default(core::AmpRecord& works);
// The settings the factory default leaves alone, set to the unit's first
// state; the complete reset runs it before InitVar_Default.
void InitCompleteVar(core::AmpRecord& works);

}  // namespace tuner
