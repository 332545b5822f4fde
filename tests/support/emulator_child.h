#pragma once
// An emulator program as a child process: started with its arguments, ready
// once its first output line starts with the expected words, ended with
// SIGTERM when the test lets it go.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace testing_support {

class EmulatorChild {
  public:
    EmulatorChild(std::vector<std::string> arguments, const std::string& readyWords) {
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
                 std::string(line).rfind(readyWords, 0) == 0;
        fclose(stream);
    }
    ~EmulatorChild() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    EmulatorChild(const EmulatorChild&) = delete;
    EmulatorChild& operator=(const EmulatorChild&) = delete;

    [[nodiscard]] bool ready() const { return ready_; }

  private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

}  // namespace testing_support
