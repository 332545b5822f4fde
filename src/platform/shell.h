#pragma once
// Shell commands and helper programs (remounts, rm, reboot, status programs).
// Subsystem code runs them only through this interface.
#include <optional>
#include <string>

namespace platform {

class Shell {
public:
    Shell() = default;
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;
    virtual ~Shell() = default;

    // Runs a command as system(3) does; returns its status (0 = success).
    virtual int run(const std::string& command) = 0;
    // Runs a program and returns what it printed, or nothing when it could not run or failed.
    virtual std::optional<std::string> capture(const std::string& command) = 0;
};

class LinuxShell final : public Shell {
public:
    int run(const std::string& command) override;
    std::optional<std::string> capture(const std::string& command) override;
};

}  // namespace platform
