#pragma once
// The target's service keyboard: its event device, opened read-only and
// grabbed, so that its keys reach no console.
#include <fcntl.h>

#include "platform/keyboard_device.h"

namespace platform {

class LinuxKeyboard final : public KeyboardDevice {
  public:
    LinuxKeyboard() : KeyboardDevice(O_RDONLY) {}

    bool grab() override;
};

}  // namespace platform
