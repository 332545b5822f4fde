#pragma once
// The automatic tune as the maker's transceiver sees it: its transmission can
// start a tune, and a tune started from the panel waits for its carrier and is
// aborted when none comes.

namespace core {
struct Works;
}  // namespace core

namespace ui {

// One main-loop tick of the coordination; transmitting is the transceiver's transmit flag.
void CoordinateTune(core::Works& works, bool transmitting);

}  // namespace ui
