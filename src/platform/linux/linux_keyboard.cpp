#include "platform/linux/linux_keyboard.h"

#include <sys/ioctl.h>

namespace platform {

bool LinuxKeyboard::grab() {
    return ::ioctl(fd(), EVIOCGRAB, 1) == 0;
}

}  // namespace platform
