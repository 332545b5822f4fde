#pragma once
// The target: real devices, paths as they stand, /dev/fb0 for the display,
// SCHED_RR priorities, and SIGINT and SIGTERM with their default action.
#include "platform/linux/alsa_sound.h"
#include "platform/linux/linux_system.h"
#include "platform/linux/memory_mapped_gpio.h"
#include "platform/linux/system_clock.h"
#include "platform/platform.h"

namespace platform {

class LinuxPlatform final : public Platform {
  public:
    LinuxPlatform() : files_(root_, system_), gpio_(root_.resolve("/dev/mem")) {}

    [[nodiscard]] const RunRoot& root() const override { return root_; }
    [[nodiscard]] System& system() override { return system_; }
    [[nodiscard]] FileStore& files() override { return files_; }
    [[nodiscard]] Clock& clock() override { return clock_; }
    [[nodiscard]] Gpio& gpio() override { return gpio_; }
    [[nodiscard]] Sound& sound() override { return sound_; }

    int setRealtimePriority(pthread_t thread, int priority) override;
    // Every interface: the operator is somewhere on the LAN.
    [[nodiscard]] uint32_t remoteServerAddress() const override { return 0; }
    std::unique_ptr<FramebufferDevice> openFramebuffer() override;
    std::unique_ptr<KeyboardDevice> keyboardDevice() override;
    std::unique_ptr<UsbDevice> usbDevice() override;
    std::unique_ptr<SerialPort> serialPort() override;
    // Name + ".png" in the working directory.
    [[nodiscard]] std::string imagePath(const std::string& name) const override { return name + ".png"; }
    void whenPoweredOff(std::function<void()>) override {}

  private:
    RunRoot root_;
    LinuxSystem system_;
    FileStore files_;
    SystemClock clock_;
    MemoryMappedGpio gpio_;
    AlsaSound sound_;
};

std::unique_ptr<Platform> makeTargetPlatform();

}  // namespace platform
