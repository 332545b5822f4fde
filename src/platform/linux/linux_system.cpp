#include "platform/linux/linux_system.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace platform {
namespace {

int run(const std::string& command) {
    return std::system(command.c_str());
}

// What the program printed, or nothing when it could not run or failed.
std::optional<std::string> capture(const char* command) {
    FILE* pipe = popen(command, "r");
    if (pipe == nullptr) return std::nullopt;
    std::string output;
    char buffer[256];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
    if (pclose(pipe) != 0) return std::nullopt;
    return output;
}

// Everything the program printed, whatever its exit status; nothing when
// the shell could not start it.
std::optional<std::string> captureAny(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return std::nullopt;
    std::string output;
    char buffer[256];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
    const int status = pclose(pipe);
    constexpr int kNotStarted = 127;  // the shell's status for a program it cannot run
    if (status == -1 || (WIFEXITED(status) && WEXITSTATUS(status) == kNotStarted)) return std::nullopt;
    return output;
}

}  // namespace

int LinuxSystem::remountSettingsReadWrite() {
    return run("mount -o remount defaults,rw /opt/set");
}

int LinuxSystem::remountSettingsReadOnly() {
    return run("mount -v -n -o remount -r /opt/set");
}

int LinuxSystem::remountRootReadWrite() {
    return run("/bin/mount -o remount defaults,rw /");
}

int LinuxSystem::remountRootReadOnly() {
    return run("/bin/mount -o remount defaults,ro /");
}

int LinuxSystem::removeFile(const std::string& path) {
    return run("rm -f " + path + " >/dev/null 2>&1");
}

int LinuxSystem::reboot() {
    return run("/sbin/reboot");
}

int LinuxSystem::restartNetwork() {
    return run("sudo ifdown --exclude=lo -a && sudo ifup --exclude=lo -a");
}

int LinuxSystem::hideConsoleCursor() {
    return run("/bin/echo -e -n '\\e[?25l' >/dev/tty0");
}

int LinuxSystem::stopConsoleEcho() {
    return run("stty -echo");
}

int LinuxSystem::restoreConsole() {
    return run("stty sane");
}

int LinuxSystem::restoreConsoleAtExit() {
    return run("/bin/stty sane");
}

int LinuxSystem::clearConsole() {
    return run("/usr/bin/tput clear");
}

int LinuxSystem::takeScreenshot() {
    return run("/usr/bin/fbgrab /tmp/screen.png >/dev/null 2>&1 </dev/null");
}

int LinuxSystem::startServiceShell() {
    return run("/opt/sshshell");
}

std::optional<std::string> LinuxSystem::boardTemperatureReport() {
    return capture("my_temp");
}

std::optional<std::string> LinuxSystem::lanStatusReport() {
    return captureAny("my_qelt");
}

std::optional<std::string> LinuxSystem::runUpdateScript(const std::string& path) {
    return captureAny(path);
}

int LinuxSystem::setMixerLevels() {
    return run("/usr/bin/myamixer");
}

std::optional<bool> LinuxSystem::usbDevicePresent(uint16_t vendor, uint16_t product) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator devices("/sys/bus/usb/devices", error);
    if (error) return std::nullopt;
    auto identifier = [](const fs::path& file) {
        unsigned int value = 0;
        std::ifstream in(file);
        in >> std::hex >> value;
        return in ? static_cast<int>(value) : -1;
    };
    for (const fs::directory_entry& device : devices) {
        if (identifier(device.path() / "idVendor") == vendor &&
            identifier(device.path() / "idProduct") == product)
            return true;
    }
    return false;
}

std::optional<std::string> LinuxSystem::transceiverAudioCount() {
    return capture("lsusb|grep 0d8c:01af |wc -l");
}

std::optional<std::string> LinuxSystem::cMediaUsbDevices() {
    return capture("lsusb | grep 0d8c");
}

}  // namespace platform
