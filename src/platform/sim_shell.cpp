#include "platform/sim_shell.h"

#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "platform/log.h"

namespace platform {
namespace {

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

const std::string kScreenshotProgram = "/usr/bin/fbgrab ";

}  // namespace

int SimShell::run(const std::string& command) {
    int status = 0;
    std::function<void(const std::string&)> observer;
    {
        std::lock_guard lock(mutex_);
        record(command);
        auto failure = std::find_if(failures_.begin(), failures_.end(), [&command](const auto& entry) {
            return startsWith(command, entry.first);
        });
        status = failure != failures_.end() ? failure->second : emulate(command);
        observer = afterCommand_;
    }
    if (observer) observer(command);
    return status;
}

int SimShell::emulate(const std::string& command) {
    if (startsWith(command, "mount ") || startsWith(command, "/bin/mount ")) {
        if (command.find(",rw") != std::string::npos) readOnly_ = false;
        if (command.find(" -r ") != std::string::npos || command.find(",ro") != std::string::npos) readOnly_ = true;
        return 0;
    }
    if (startsWith(command, "rm ")) {
        std::istringstream words(command.substr(3));
        std::string word;
        int status = 0;
        bool force = false;
        while (words >> word) {
            if (word == "-f") {
                force = true;
            } else if (word.front() == '/') {
                if (::unlink(root_.resolve(word).c_str()) != 0 && !force) status = 1;
            } else if (word.front() == '>' || word.front() == '2') {
                break;  // redirections of the original command line
            }
        }
        return status;
    }
    if (command.find("reboot") != std::string::npos || command.find("ifup") != std::string::npos) return 0;
    // Console escapes: the simulated station has no console.
    if (startsWith(command, "/bin/echo ")) return 0;
    if (startsWith(command, kScreenshotProgram)) return grabScreen(command);
    trace("sim: command not emulated: %s\n", command.c_str());
    return 127;
}

int SimShell::grabScreen(const std::string& command) {
    // The picture's file is the first absolute path after the program;
    // redirections begin with '<', '>' or a digit.
    std::istringstream words(command.substr(kScreenshotProgram.size()));
    std::string path;
    for (std::string word; path.empty() && words >> word;)
        if (word.front() == '/') path = word;
    if (path.empty()) {
        trace("sim: screenshot without a file: %s\n", command.c_str());
        return 1;
    }
    if (!screenshotWriter_) {
        trace("sim: no display to photograph\n");
        return 1;
    }
    return screenshotWriter_(root_.resolve(path)) ? 0 : 1;
}

std::optional<std::string> SimShell::capture(const std::string& command) {
    std::lock_guard lock(mutex_);
    record(command);
    auto output = outputs_.find(command);
    if (output == outputs_.end()) return std::nullopt;
    return output->second;
}

void SimShell::setProgramOutput(const std::string& command, std::string output) {
    std::lock_guard lock(mutex_);
    outputs_[command] = std::move(output);
}

void SimShell::failCommandsStartingWith(const std::string& prefix, int status) {
    std::lock_guard lock(mutex_);
    failures_[prefix] = status;
}

void SimShell::setScreenshotWriter(std::function<bool(const std::string& path)> writer) {
    std::lock_guard lock(mutex_);
    screenshotWriter_ = std::move(writer);
}

void SimShell::setAfterCommand(std::function<void(const std::string& command)> observer) {
    std::lock_guard lock(mutex_);
    afterCommand_ = std::move(observer);
}

void SimShell::record(const std::string& command) {
    // The main loop asks for the board temperature every tick: keep the record bounded.
    if (commands_.size() == kRecordedCommands) commands_.pop_front();
    commands_.push_back(command);
}

std::vector<std::string> SimShell::commands() const {
    std::lock_guard lock(mutex_);
    return {commands_.begin(), commands_.end()};
}

bool SimShell::readOnly() const {
    std::lock_guard lock(mutex_);
    return readOnly_;
}

}  // namespace platform
