#pragma once

namespace core {
struct AmpRecord;
}  // namespace core

namespace amp {

// After the interface type changed: the transceiver thread of the new type
// runs, the other stops, and the amplifier learns whether it is in generic mode.
void SetModeWorkIDX(core::AmpRecord& works);

}  // namespace amp
