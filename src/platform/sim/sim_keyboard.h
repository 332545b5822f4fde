#pragma once
// The simulated station's service keyboard: a FIFO in the run root into
// which a test or the user writes whole input_event records.
#include <fcntl.h>

#include "platform/keyboard_device.h"

namespace platform {

inline constexpr const char* kSimKeyboardPath = "/dev/input/by-id/sim-event-kbd";

// Creates the FIFO under the run root unless something is already there.
void createSimKeyboard(const RunRoot& root);

class SimKeyboard final : public KeyboardDevice {
  public:
    // Opened for writing as well, so that the FIFO stays open as writers come
    // and go, the way a plugged keyboard does; it is only ever read.
    SimKeyboard() : KeyboardDevice(O_RDWR) {}

    // A FIFO cannot be grabbed, and no console shares it.
    bool grab() override { return true; }
};

}  // namespace platform
