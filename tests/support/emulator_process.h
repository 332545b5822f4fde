#pragma once
// An emulator as a child process under a run root, with its control channel
// (run/<name>.sock), for process-level tests of the links.
#include <filesystem>
#include <string>
#include <vector>

#include "emulator_child.h"
#include "station_process.h"

namespace testing_support {

class EmulatorProcess {
  public:
    // The amplifier emulator.
    explicit EmulatorProcess(const std::filesystem::path& root)
        : EmulatorProcess(root, AMP_EMULATOR_BINARY, "amp-emulator") {}
    // The program at binary, ready once it prints "<name> ready", started with the options after its root.
    EmulatorProcess(const std::filesystem::path& root, const std::string& binary, const std::string& name,
                    const std::vector<std::string>& options = {})
        : root_(root),
          socket_(root / "run" / (name + ".sock")),
          child_(command(binary, root, options), name + " ready") {}
    [[nodiscard]] bool ready() const { return child_.ready(); }

    // Sends one control command and returns its reply line.
    std::string control(const std::string& command) { return askSocket(socket_, command); }

    // The value of key=... in the amplifier emulator's state line; empty when the line has no such key.
    std::string stateValue(const std::string& key) {
        const std::string state = control("state");
        size_t at = state.find(" " + key + "=");
        if (at == std::string::npos) return {};
        at += key.size() + 2;
        return state.substr(at, state.find(' ', at) - at);
    }

  protected:
    std::filesystem::path root_;

  private:
    static std::vector<std::string> command(const std::string& binary, const std::filesystem::path& root,
                                            const std::vector<std::string>& options) {
        std::vector<std::string> arguments{binary, "--root", root.string()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return arguments;
    }

    std::filesystem::path socket_;
    EmulatorChild child_;
};

// The FT-817 emulator, for process-level tests of the CAT poller.
class Ft817Process : public EmulatorProcess {
  public:
    explicit Ft817Process(const std::filesystem::path& root)
        : EmulatorProcess(root, FT817_EMULATOR_BINARY, "ft817-emulator") {}
    [[nodiscard]] std::filesystem::path port() const { return root_.string() + "/dev/QELT817"; }
    // The value after the word key in a state line ("... polls 12 ..."); empty without it.
    static std::string valueIn(const std::string& state, const std::string& key) {
        size_t at = state.find(" " + key + " ");
        if (at == std::string::npos) return {};
        at += key.size() + 2;
        return state.substr(at, state.find(' ', at) - at);
    }
};

// The transceiver emulator, for process-level tests of the auxiliary link;
// timeScale: the station's, so that the stream keeps pace with its clock.
class QorProcess : public EmulatorProcess {
  public:
    QorProcess(const std::filesystem::path& root, double timeScale)
        : EmulatorProcess(root, QOR_EMULATOR_BINARY, "qor-emulator",
                          {"--time-scale", std::to_string(timeScale)}) {}
};

}  // namespace testing_support
