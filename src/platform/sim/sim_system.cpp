#include "platform/sim/sim_system.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/log.h"
#include "platform/usb_ids.h"

namespace platform {

template <typename Emulate>
int SimSystem::act(SystemCall call, Emulate emulate) {
    int status = 0;
    std::function<void(const SystemCall&)> observer;
    {
        std::lock_guard lock(mutex_);
        if (calls_.size() == kRecordedCalls) calls_.pop_front();
        calls_.push_back(call);
        auto failure = failures_.find(call.action);
        status = failure != failures_.end() ? failure->second : emulate();
        observer = afterAction_;
    }
    if (observer) observer(call);
    return status;
}

int SimSystem::remountSettings(SystemAction action, bool readOnly) {
    return act({action}, [this, readOnly] {
        settingsReadOnly_ = readOnly;
        return 0;
    });
}

int SimSystem::remountSettingsReadWrite() {
    return remountSettings(SystemAction::RemountSettingsReadWrite, false);
}

int SimSystem::remountSettingsReadOnly() {
    return remountSettings(SystemAction::RemountSettingsReadOnly, true);
}

int SimSystem::remountRootReadWrite() {
    return act({SystemAction::RemountRootReadWrite}, [] { return 0; });
}

int SimSystem::remountRootReadOnly() {
    return act({SystemAction::RemountRootReadOnly}, [] { return 0; });
}

int SimSystem::removeFile(const std::string& path) {
    return act({SystemAction::RemoveFile, path}, [this, &path] {
        return ::unlink(root_.resolve(path).c_str()) != 0 && errno != ENOENT ? 1 : 0;
    });
}

int SimSystem::reboot() {
    const int status = act({SystemAction::Reboot}, [] { return 0; });
    std::function<void()> rebooted;
    {
        std::lock_guard lock(mutex_);
        rebooted = rebooted_;
    }
    if (status == 0 && rebooted) rebooted();
    return status;
}

int SimSystem::restartNetwork() {
    return act({SystemAction::RestartNetwork}, [] { return 0; });
}

// The simulated station has no console.
int SimSystem::hideConsoleCursor() {
    return act({SystemAction::HideConsoleCursor}, [] { return 0; });
}

// The service keyboard's console actions are only recorded, for the same reason.
int SimSystem::stopConsoleEcho() {
    return act({SystemAction::StopConsoleEcho}, [] { return 0; });
}

int SimSystem::restoreConsole() {
    return act({SystemAction::RestoreConsole}, [] { return 0; });
}

int SimSystem::restoreConsoleAtExit() {
    return act({SystemAction::RestoreConsoleAtExit}, [] { return 0; });
}

int SimSystem::clearConsole() {
    return act({SystemAction::ClearConsole}, [] { return 0; });
}

int SimSystem::takeScreenshot() {
    return act({SystemAction::TakeScreenshot}, [this] {
        if (!screenshotWriter_) {
            trace("sim: no display to photograph\n");
            return 1;
        }
        return screenshotWriter_(root_.resolve("/tmp/screen.png")) ? 0 : 1;
    });
}

// The script is the installation's; only its start is recorded.
int SimSystem::startServiceShell() {
    return act({SystemAction::StartServiceShell}, [] { return 0; });
}

std::optional<std::string> SimSystem::boardTemperatureReport() {
    std::optional<std::string> report;
    act({SystemAction::ReadBoardTemperature}, [this, &report] {
        report = boardTemperatureReport_;
        return report ? 0 : 127;
    });
    return report;
}

std::optional<std::string> SimSystem::lanStatusReport() {
    std::optional<std::string> report;
    act({SystemAction::ReadLanStatus}, [this, &report] {
        report = lanStatusReport_;
        return report ? 0 : 127;
    });
    return report;
}

std::optional<std::string> SimSystem::runUpdateScript(const std::string& path) {
    const std::string script = root_.resolve(path);
    // Outside the lock: a script may run for a while.
    if (act({SystemAction::RunUpdateScript, path},
            [&script] { return ::access(script.c_str(), X_OK) == 0 ? 0 : 127; }) != 0)
        return std::nullopt;
    FILE* pipe = ::popen(("'" + script + "' 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return std::nullopt;
    std::string output;
    char buffer[256];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
    ::pclose(pipe);
    return output;
}

void SimSystem::setLanStatusReport(std::optional<std::string> report) {
    std::lock_guard lock(mutex_);
    lanStatusReport_ = std::move(report);
}

void SimSystem::setBoardTemperatureReport(std::optional<std::string> report) {
    std::lock_guard lock(mutex_);
    boardTemperatureReport_ = std::move(report);
}

void SimSystem::failAction(SystemAction action, int status) {
    std::lock_guard lock(mutex_);
    failures_[action] = status;
}

void SimSystem::setScreenshotWriter(std::function<bool(const std::string& path)> writer) {
    std::lock_guard lock(mutex_);
    screenshotWriter_ = std::move(writer);
}

void SimSystem::setFrameWriter(FrameWriter writer) {
    std::unique_lock lock(frameWriterMutex_);
    frameWriter_ = std::move(writer);
}

std::optional<uint64_t> SimSystem::writeFrame(const std::string& path, uint64_t known,
                                              std::chrono::milliseconds wait) {
    std::shared_lock lock(frameWriterMutex_);
    if (!frameWriter_) return std::nullopt;
    return frameWriter_(path, known, wait);
}

void SimSystem::setAfterAction(std::function<void(const SystemCall& call)> observer) {
    std::lock_guard lock(mutex_);
    afterAction_ = std::move(observer);
}

void SimSystem::whenRebooted(std::function<void()> action) {
    std::lock_guard lock(mutex_);
    rebooted_ = std::move(action);
}

std::vector<SystemCall> SimSystem::calls() const {
    std::lock_guard lock(mutex_);
    return {calls_.begin(), calls_.end()};
}

bool SimSystem::settingsReadOnly() const {
    std::lock_guard lock(mutex_);
    return settingsReadOnly_;
}

int SimSystem::setMixerLevels() {
    return act({SystemAction::SetMixerLevels}, [] { return 0; });
}

std::vector<std::string> SimSystem::usbLines(const std::string& text) {
    std::ifstream file(root_.resolve("/tmp/sim-lsusb.txt"));
    std::stringstream listing;
    if (file) {
        listing << file.rdbuf();
    } else {
        char transceiver[100];
        std::snprintf(transceiver, sizeof transceiver, "Bus 001 Device 004: ID %04x:%04x Transceiver\n",
                      QorUsbVendorId, QorUsbProductId);
        listing << transceiver
                << "Bus 001 Device 005: ID 0d8c:01af C-Media Electronics, Inc. USB Audio Device\n";
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(listing, line);)
        if (line.find(text) != std::string::npos) lines.push_back(line);
    return lines;
}

std::optional<bool> SimSystem::usbDevicePresent(uint16_t vendor, uint16_t product) {
    bool present = false;
    const int status = act({SystemAction::ListUsbDevices}, [&] {
        char identifiers[16];
        std::snprintf(identifiers, sizeof identifiers, "ID %04x:%04x", vendor, product);
        present = !usbLines(identifiers).empty();
        return 0;
    });
    if (status != 0) return std::nullopt;
    return present;
}

std::optional<std::string> SimSystem::transceiverAudioCount() {
    std::string count;
    const int status = act({SystemAction::ListUsbDevices}, [&] {
        count = std::to_string(usbLines("0d8c:01af ").size()) + "\n";
        return 0;
    });
    if (status != 0) return std::nullopt;
    return count;
}

std::optional<std::string> SimSystem::cMediaUsbDevices() {
    std::optional<std::string> output;
    act({SystemAction::ListUsbDevices}, [&] {
        std::vector<std::string> lines = usbLines("0d8c");
        if (lines.empty()) return 1;
        output.emplace();
        for (const std::string& line : lines) *output += line + "\n";
        return 0;
    });
    return output;
}

}  // namespace platform
