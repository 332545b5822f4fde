#pragma once
// The shell of the simulated station: nothing reaches the host. Remounts are
// recorded and succeed, "rm" removes the file inside the run root, reboots,
// network and console commands are only recorded, the screenshot program
// photographs the simulated display. Tests read the record.
#include <functional>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/run_root.h"
#include "platform/shell.h"

namespace platform {

class SimShell final : public Shell {
public:
    explicit SimShell(RunRoot root) : root_(std::move(root)) {}

    int run(const std::string& command) override;
    std::optional<std::string> capture(const std::string& command) override;

    // What a program prints when captured; unknown programs fail.
    void setProgramOutput(const std::string& command, std::string output);
    // Makes every later command that starts with this prefix fail with the status.
    void failCommandsStartingWith(const std::string& prefix, int status);
    // What the screenshot program runs: writes the screen as a PNG file at the
    // resolved path. An empty writer (no display) makes the program fail; the
    // call returns only when no screenshot is in progress.
    void setScreenshotWriter(std::function<bool(const std::string& path)> writer);
    // Called with every command once it has run, outside the shell's lock, so
    // that a test can hold the command's caller at that point.
    void setAfterCommand(std::function<void(const std::string& command)> observer);

    [[nodiscard]] std::vector<std::string> commands() const;
    [[nodiscard]] bool readOnly() const;

private:
    int emulate(const std::string& command);
    void record(const std::string& command);
    int grabScreen(const std::string& command);

    RunRoot root_;
    mutable std::mutex mutex_;
    static constexpr size_t kRecordedCommands = 1000;
    std::deque<std::string> commands_;
    std::map<std::string, std::string> outputs_;
    std::map<std::string, int> failures_;
    bool readOnly_ = true;
    std::function<bool(const std::string& path)> screenshotWriter_;
    std::function<void(const std::string& command)> afterCommand_;
};

}  // namespace platform
