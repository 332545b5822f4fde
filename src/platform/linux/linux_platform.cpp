#include "platform/linux/linux_platform.h"

#include <sched.h>

#include "platform/linux/libusb_device.h"
#include "platform/linux/linux_framebuffer.h"
#include "platform/linux/linux_keyboard.h"
#include "platform/linux/termios_serial_port.h"

namespace platform {

int LinuxPlatform::setRealtimePriority(pthread_t thread, int priority) {
    sched_param parameters{};
    parameters.sched_priority = priority;
    return pthread_setschedparam(thread, SCHED_RR, &parameters);
}

std::unique_ptr<FramebufferDevice> LinuxPlatform::openFramebuffer() {
    return std::make_unique<LinuxFramebuffer>("/dev/fb0");
}

std::unique_ptr<KeyboardDevice> LinuxPlatform::keyboardDevice() {
    return std::make_unique<LinuxKeyboard>();
}

std::unique_ptr<UsbDevice> LinuxPlatform::usbDevice() {
    return std::make_unique<LibusbDevice>();
}

std::unique_ptr<SerialPort> LinuxPlatform::serialPort() {
    return std::make_unique<TermiosSerialPort>();
}

std::unique_ptr<Platform> makeTargetPlatform() {
    return std::make_unique<LinuxPlatform>();
}

}  // namespace platform
