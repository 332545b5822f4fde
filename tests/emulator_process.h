#pragma once
// The amplifier emulator as a child process under a run root, with its
// control channel, for process-level tests of the link.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

namespace testing_support {

class EmulatorProcess {
  public:
    explicit EmulatorProcess(const std::filesystem::path& root) : root_(root) {
        std::string rootText = root.string();
        std::vector<std::string> arguments = {AMP_EMULATOR_BINARY, "--root", rootText};
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
                 std::string(line).rfind("amp-emulator ready", 0) == 0;
        fclose(stream);
    }
    ~EmulatorProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    [[nodiscard]] bool ready() const { return ready_; }

    // Sends one control command and returns its reply line.
    std::string control(const std::string& command) {
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::string path = (root_ / "run/amp-emulator.sock").string();
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd);
            return "error connect";
        }
        std::string line = command + "\n";
        if (write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            close(fd);
            return "error write";
        }
        std::string reply;
        char byte;
        while (read(fd, &byte, 1) == 1 && byte != '\n') reply.push_back(byte);
        close(fd);
        return reply;
    }

  private:
    std::filesystem::path root_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

}  // namespace testing_support
