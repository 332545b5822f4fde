#pragma once
// An emulator program as a child process: started with its arguments, ready
// once its first output line starts with the expected words, ended with
// SIGTERM when the test lets it go.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "spawn_program.h"

namespace testing_support {

class EmulatorChild {
  public:
    EmulatorChild(std::vector<std::string> arguments, const std::string& readyWords) {
        int output[2];
        if (pipe(output) != 0) return;
        pid_ = spawnProgram(arguments, SpawnActions().duplicate(output[1], 1).close(output[0]));
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
