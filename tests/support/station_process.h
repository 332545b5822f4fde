#pragma once
// The real program as a child process under a run root, its standard error
// in a file, and its panel channel, for process-level tests.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sim/common/line_channel.h"
#include "spawn_program.h"

namespace testing_support {

namespace fs = std::filesystem;

inline std::string readAll(const fs::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The real program under a temporary run root, its standard error in a file.
class StationProcess {
  public:
    // files: (absolute path, text) written under the run root before the start.
    explicit StationProcess(std::vector<std::string> extraArguments = {},
                            const std::vector<std::pair<std::string, std::string>>& files = {},
                            fs::path root = makeRoot()) {
        root_ = std::move(root);
        for (const auto& [file, text] : files) {
            fs::create_directories(path(file).parent_path());
            std::ofstream(path(file)) << text;
        }
        std::vector<std::string> arguments = {BRISEL_BINARY, "--root", root_.string()};
        arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
        pid_ = spawnProgram(arguments, SpawnActions().writeTo(2, logPath()).writeTo(1, "/dev/null"));
    }
    ~StationProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        fs::remove_all(root_);
    }

    [[nodiscard]] pid_t pid() const { return pid_; }
    [[nodiscard]] fs::path path(const std::string& absolute) const { return root_.string() + absolute; }
    [[nodiscard]] fs::path logPath() const { return root_ / "station.log"; }
    [[nodiscard]] std::string log() const { return readAll(logPath()); }

    bool waitFor(const std::function<bool()>& condition, std::chrono::seconds limit) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }
    // Sends the signal and returns the exit status, or -1 when the process did not end in time.
    int stop(int signal, std::chrono::seconds limit) {
        kill(pid_, signal);
        int status = 0;
        bool ended = waitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, limit);
        if (!ended) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // A fresh run root, for a process started later on it.
    static fs::path makeRoot() {
        std::string pattern = (fs::temp_directory_path() / "brisel-station-XXXXXX").string();
        return mkdtemp(pattern.data());
    }

  private:
    fs::path root_;
    pid_t pid_ = -1;
};

// One line to a channel and its answer line, or why there is none. Waits long
// enough for the longest panel command under the sanitizers.
inline std::string askSocket(const fs::path& path, const std::string& command) {
    return sim::askChannel(path.string(), command, 90000).text;
}

}  // namespace testing_support
