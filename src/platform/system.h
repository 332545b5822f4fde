#pragma once
// The machine's system actions: remounts, removals, reboot, network restart,
// the console and the helper programs. Subsystem code reaches them only
// through this interface, one typed call per action.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class System {
  public:
    System() = default;
    System(const System&) = delete;
    System& operator=(const System&) = delete;
    virtual ~System() = default;

    // Each action returns its status as system(3) does (0 = success).
    // The settings file system /opt/set, mounted read-only but around a save.
    virtual int remountSettingsReadWrite() = 0;
    virtual int remountSettingsReadOnly() = 0;
    // The root file system, read-only but around the update confirmation.
    virtual int remountRootReadWrite() = 0;
    virtual int remountRootReadOnly() = 0;
    // Removes a file by its absolute path; a missing file counts as removed.
    virtual int removeFile(const std::string& path) = 0;
    virtual int reboot() = 0;
    virtual int restartNetwork() = 0;
    // Switches the console's text cursor off, so that it never blinks over the panel.
    virtual int hideConsoleCursor() = 0;
    // While the service keyboard is in use its keys must not print on the console.
    virtual int stopConsoleEcho() = 0;
    // The console's settings back to sane ones when the keyboard is left; the
    // second as the keyboard's exit key ends the program.
    virtual int restoreConsole() = 0;
    virtual int restoreConsoleAtExit() = 0;
    virtual int clearConsole() = 0;
    // The screen as shown, as the PNG file /tmp/screen.png.
    virtual int takeScreenshot() = 0;
    // The installation's script that opens the remote service connection.
    virtual int startServiceShell() = 0;
    // What the board-temperature program printed: the board's temperature on
    // the first line, a second temperature at characters 5 to 8 of the second.
    // Nothing when it could not run or failed.
    virtual std::optional<std::string> boardTemperatureReport() = 0;
    // What the LAN status program "my_qelt" printed: the versions on offer,
    // then the connection's status line. Nothing when it could not start.
    virtual std::optional<std::string> lanStatusReport() = 0;
    // Runs an update script of the installation, given by its absolute path,
    // and returns what it printed, whatever its exit status. Nothing when it
    // could not start.
    virtual std::optional<std::string> runUpdateScript(const std::string& path) = 0;
    // The installation's script that sets the sound card's mixer levels.
    virtual int setMixerLevels() = 0;
    // Whether a USB device with these identifiers is attached; nothing when
    // the bus cannot be read.
    virtual std::optional<bool> usbDevicePresent(uint16_t vendor, uint16_t product) = 0;
    // What "lsusb|grep 0d8c:01af |wc -l" prints: the count of the
    // transceiver's USB audio interfaces. Nothing when it cannot run.
    virtual std::optional<std::string> transceiverAudioCount() = 0;
    // The lines "lsusb | grep 0d8c" prints: every C-Media USB device.
    // Nothing when it cannot run or fails (grep finds none).
    virtual std::optional<std::string> cMediaUsbDevices() = 0;
};

}  // namespace platform
