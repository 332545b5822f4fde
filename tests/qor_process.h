#pragma once
// The transceiver emulator as a child process under a run root, with its
// control channel, for process-level tests of the auxiliary link.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "station_process.h"

namespace testing_support {

class QorProcess {
  public:
    QorProcess(const std::filesystem::path& root, double timeScale) : root_(root) {
        std::vector<std::string> arguments = {QOR_EMULATOR_BINARY, "--root", root.string(), "--time-scale",
                                              std::to_string(timeScale)};
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        int output[2];
        if (pipe(output) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], 1);
        posix_spawn_file_actions_addclose(&actions, output[0]);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(output[1]);
        FILE* stream = fdopen(output[0], "r");
        char line[256];
        ready_ = pid_ > 0 && fgets(line, sizeof line, stream) != nullptr &&
                 std::string(line).rfind("qor-emulator ready", 0) == 0;
        fclose(stream);
    }
    ~QorProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    [[nodiscard]] bool ready() const { return ready_; }
    std::string control(const std::string& command) {
        return askSocket(root_ / "run/qor-emulator.sock", command);
    }

  private:
    std::filesystem::path root_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

}  // namespace testing_support
