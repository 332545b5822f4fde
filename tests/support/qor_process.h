#pragma once
// The transceiver emulator as a child process under a run root, with its
// control channel, for process-level tests of the auxiliary link.
#include <filesystem>
#include <string>

#include "emulator_child.h"
#include "station_process.h"

namespace testing_support {

class QorProcess {
  public:
    // timeScale: the station's, so that the stream keeps pace with its clock.
    QorProcess(const std::filesystem::path& root, double timeScale)
        : root_(root),
          child_({QOR_EMULATOR_BINARY, "--root", root.string(), "--time-scale", std::to_string(timeScale)},
                 "qor-emulator ready") {}
    [[nodiscard]] bool ready() const { return child_.ready(); }
    std::string control(const std::string& command) {
        return askSocket(root_ / "run/qor-emulator.sock", command);
    }

  private:
    std::filesystem::path root_;
    EmulatorChild child_;
};

}  // namespace testing_support
