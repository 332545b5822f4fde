#pragma once
// The FT-817 emulator as a child process under a run root, with its control
// channel, for process-level tests of the CAT poller.
#include <filesystem>
#include <string>

#include "emulator_child.h"
#include "station_process.h"

namespace testing_support {

class Ft817Process {
  public:
    explicit Ft817Process(const std::filesystem::path& root)
        : root_(root), child_({FT817_EMULATOR_BINARY, "--root", root.string()}, "ft817-emulator ready") {}
    [[nodiscard]] bool ready() const { return child_.ready(); }
    [[nodiscard]] std::filesystem::path port() const { return root_.string() + "/dev/QELT817"; }
    std::string control(const std::string& command) {
        return askSocket(root_ / "run/ft817-emulator.sock", command);
    }
    // The value after the word key in a state line ("... polls 12 ..."); empty without it.
    static std::string valueIn(const std::string& state, const std::string& key) {
        size_t at = state.find(" " + key + " ");
        if (at == std::string::npos) return {};
        at += key.size() + 2;
        return state.substr(at, state.find(' ', at) - at);
    }

  private:
    std::filesystem::path root_;
    EmulatorChild child_;
};

}  // namespace testing_support
