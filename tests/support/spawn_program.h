#pragma once
// Starts a program of this build as a child process. A cross-built tree's
// programs start under the emulator its build runs them with (qemu-arm), so
// that the same scenarios run there.
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// What the child's descriptors are: files opened, pipe ends duplicated.
class SpawnActions {
  public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;

    SpawnActions& writeTo(int target, const std::string& path) {
        posix_spawn_file_actions_addopen(&actions_, target, path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        return *this;
    }
    SpawnActions& duplicate(int descriptor, int target) {
        posix_spawn_file_actions_adddup2(&actions_, descriptor, target);
        return *this;
    }
    SpawnActions& close(int descriptor) {
        posix_spawn_file_actions_addclose(&actions_, descriptor);
        return *this;
    }
    [[nodiscard]] const posix_spawn_file_actions_t* get() const { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_;
};

// The child's pid, or -1 when it cannot be started.
inline pid_t spawnProgram(const std::vector<std::string>& arguments, const SpawnActions& actions) {
    std::vector<std::string> command;
    // The build's emulator and its arguments, separated by blanks; empty for a native build.
    for (std::string_view rest = BRISEL_PROGRAM_EMULATOR; !rest.empty();) {
        const size_t end = rest.find(' ');
        command.emplace_back(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : command) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], actions.get(), nullptr, argv.data(), environ) != 0) return -1;
    return pid;
}

}  // namespace testing_support
