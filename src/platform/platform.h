#pragma once
// The machine as the system sees it: the run root, the system actions, the
// file store, the clock, thread scheduling, the display, the service
// keyboard and the images. One
// implementation is chosen at start-up: the target, or the simulated station
// under a run root.
#include <pthread.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/file_store.h"
#include "platform/framebuffer_device.h"
#include "platform/gpio.h"
#include "platform/keyboard_device.h"
#include "platform/run_root.h"
#include "platform/serial_port.h"
#include "platform/sound.h"
#include "platform/system.h"
#include "platform/usb_device.h"

namespace platform {

class Platform {
  public:
    Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
    virtual ~Platform() = default;

    [[nodiscard]] virtual const RunRoot& root() const = 0;
    [[nodiscard]] virtual System& system() = 0;
    [[nodiscard]] virtual FileStore& files() = 0;
    [[nodiscard]] virtual Clock& clock() = 0;
    [[nodiscard]] virtual Gpio& gpio() = 0;
    // The remote audio's capture and playback devices.
    [[nodiscard]] virtual Sound& sound() = 0;

    // SCHED_RR for a device thread; returns pthread_setschedparam's result
    // (0 where priorities are not applied).
    virtual int setRealtimePriority(pthread_t thread, int priority) = 0;
    // The IPv4 address, in host order, the remote server listens on.
    [[nodiscard]] virtual uint32_t remoteServerAddress() const = 0;
    // The display, not yet opened.
    virtual std::unique_ptr<FramebufferDevice> openFramebuffer() = 0;
    // The transceiver's USB side, not yet initialised.
    virtual std::unique_ptr<UsbDevice> usbDevice() = 0;
    // A serial device, not yet opened: the amplifier, the transceivers' ports.
    virtual std::unique_ptr<SerialPort> serialPort() = 0;
    // The service keyboard's device, not yet opened.
    virtual std::unique_ptr<KeyboardDevice> keyboardDevice() = 0;
    // The file of the background image of this name.
    [[nodiscard]] virtual std::string imagePath(const std::string& name) const = 0;
    // What happens when the front panel's controller switches the unit off or
    // the unit reboots. On the target the power is simply gone; the simulated
    // unit runs action.
    virtual void whenPoweredOff(std::function<void()> action) = 0;
};

}  // namespace platform
