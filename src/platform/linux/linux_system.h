#pragma once
// The target's system actions: shell commands through system(3) and helper
// programs read through popen(3).
#include "platform/system.h"

namespace platform {

class LinuxSystem final : public System {
  public:
    int remountSettingsReadWrite() override;
    int remountSettingsReadOnly() override;
    int remountRootReadWrite() override;
    int remountRootReadOnly() override;
    int removeFile(const std::string& path) override;
    int reboot() override;
    int restartNetwork() override;
    int hideConsoleCursor() override;
    int stopConsoleEcho() override;
    int restoreConsole() override;
    int restoreConsoleAtExit() override;
    int clearConsole() override;
    int takeScreenshot() override;
    int startServiceShell() override;
    std::optional<std::string> boardTemperatureReport() override;
    std::optional<std::string> lanStatusReport() override;
    std::optional<std::string> runUpdateScript(const std::string& path) override;
    int setMixerLevels() override;
    // Read from sysfs.
    std::optional<bool> usbDevicePresent(uint16_t vendor, uint16_t product) override;
    std::optional<std::string> transceiverAudioCount() override;
    std::optional<std::string> cMediaUsbDevices() override;
};

}  // namespace platform
