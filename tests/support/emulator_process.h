#pragma once
// The amplifier emulator as a child process under a run root, with its
// control channel, for process-level tests of the link.
#include <filesystem>
#include <string>

#include "emulator_child.h"
#include "station_process.h"

namespace testing_support {

class EmulatorProcess {
  public:
    explicit EmulatorProcess(const std::filesystem::path& root)
        : root_(root), child_({AMP_EMULATOR_BINARY, "--root", root.string()}, "amp-emulator ready") {}
    [[nodiscard]] bool ready() const { return child_.ready(); }

    // Sends one control command and returns its reply line.
    std::string control(const std::string& command) {
        return askSocket(root_ / "run/amp-emulator.sock", command);
    }

    // The value of key=... in the state line; empty when the line has no such key.
    std::string stateValue(const std::string& key) {
        const std::string state = control("state");
        size_t at = state.find(" " + key + "=");
        if (at == std::string::npos) return {};
        at += key.size() + 2;
        return state.substr(at, state.find(' ', at) - at);
    }

  private:
    std::filesystem::path root_;
    EmulatorChild child_;
};

}  // namespace testing_support
