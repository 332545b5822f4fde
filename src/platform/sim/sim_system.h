#pragma once
// The simulated station's system actions: nothing reaches the host. Every
// action is recorded; remounts succeed, removals act inside the run root,
// reboots, network restarts and the console are only recorded, the
// screenshot photographs the simulated display and the board reports the
// temperatures set here. Tests read the record.
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

#include "platform/run_root.h"
#include "platform/system.h"

namespace platform {

enum class SystemAction {
    RemountSettingsReadWrite,
    RemountSettingsReadOnly,
    RemountRootReadWrite,
    RemountRootReadOnly,
    RemoveFile,
    Reboot,
    RestartNetwork,
    HideConsoleCursor,
    StopConsoleEcho,
    RestoreConsole,
    RestoreConsoleAtExit,
    ClearConsole,
    TakeScreenshot,
    StartServiceShell,
    ReadBoardTemperature,
    ReadLanStatus,
    RunUpdateScript,
    SetMixerLevels,
    ListUsbDevices,
};

struct SystemCall {
    SystemAction action;
    std::string path{};  // the file of a removal, the script run

    friend bool operator==(const SystemCall&, const SystemCall&) = default;
};

class SimSystem final : public System {
  public:
    explicit SimSystem(RunRoot root) : root_(std::move(root)) {}

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
    // Runs the script found at the path inside the run root, never one of the host.
    std::optional<std::string> runUpdateScript(const std::string& path) override;
    // The mixer script is the installation's; only its run is recorded.
    int setMixerLevels() override;
    // The USB bus is the listing in /tmp/sim-lsusb.txt under the run root, in
    // lsusb's format; without that file, the transceiver and its C-Media
    // audio interface.
    std::optional<bool> usbDevicePresent(uint16_t vendor, uint16_t product) override;
    std::optional<std::string> transceiverAudioCount() override;
    std::optional<std::string> cMediaUsbDevices() override;

    // What the board-temperature program prints; nothing: it cannot run.
    void setBoardTemperatureReport(std::optional<std::string> report);
    // What "my_qelt" prints: the versions on offer, then the status line;
    // nothing: it cannot start.
    void setLanStatusReport(std::optional<std::string> report);
    // Makes every later call of this action fail with the status (a failed
    // temperature reading reports nothing).
    void failAction(SystemAction action, int status);
    // What the screenshot runs: writes the screen as a PNG file at the
    // resolved path. An empty writer (no display) makes the screenshot fail;
    // the call returns only when no screenshot is in progress.
    void setScreenshotWriter(std::function<bool(const std::string& path)> writer);
    // What an observer of the display reads, not an action of the station and
    // so not recorded: waits up to `wait` for a frame other than number
    // `known`, writes the screen as a PNG file at the path (not resolved)
    // unless frame `known` is still shown, and returns the number of the
    // frame shown (0 before the first); nothing without a display or when the
    // file cannot be written. Several observers may wait at once; setting a
    // writer returns once no call of the previous one is in progress.
    using FrameWriter = std::function<std::optional<uint64_t>(const std::string& path, uint64_t known,
                                                              std::chrono::milliseconds wait)>;
    void setFrameWriter(FrameWriter writer);
    std::optional<uint64_t> writeFrame(const std::string& path, uint64_t known,
                                       std::chrono::milliseconds wait = std::chrono::milliseconds(0));
    // Called with every action once it has run, outside the lock, so that a
    // test can hold the action's caller at that point.
    void setAfterAction(std::function<void(const SystemCall& call)> observer);
    // What a reboot does to the simulated unit once recorded: it goes down as
    // a powered-off unit does.
    void whenRebooted(std::function<void()> action);

    [[nodiscard]] std::vector<SystemCall> calls() const;
    [[nodiscard]] bool settingsReadOnly() const;

  private:
    // Records the call and, unless a failure is set for it, runs emulate
    // under the lock; returns the status.
    template <typename Emulate>
    int act(SystemCall call, Emulate emulate);
    int remountSettings(SystemAction action, bool readOnly);
    // The lines of the simulated bus that contain text.
    std::vector<std::string> usbLines(const std::string& text);

    RunRoot root_;
    mutable std::mutex mutex_;
    // The main loop reads the board temperature every second: keep the record bounded.
    static constexpr size_t kRecordedCalls = 1000;
    std::deque<SystemCall> calls_;
    std::map<SystemAction, int> failures_;
    bool settingsReadOnly_ = true;
    // As the simulated station's board reports them.
    std::optional<std::string> boardTemperatureReport_ = "45.0\ntemp=44.5'C\n";
    // A connected unit that is offered nothing newer.
    std::optional<std::string> lanStatusReport_ = "00.000      000.000\nLAN OK\n";
    std::function<bool(const std::string& path)> screenshotWriter_;
    // Apart from mutex_: an observer waiting for a frame holds it shared and
    // must not hold up the station's actions.
    std::shared_mutex frameWriterMutex_;
    FrameWriter frameWriter_;
    std::function<void(const SystemCall& call)> afterAction_;
    std::function<void()> rebooted_;
};

}  // namespace platform
