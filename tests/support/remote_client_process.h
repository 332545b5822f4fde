#pragma once
// brisel-remote as a child process, its output and errors in files, and a
// free port for the station under test to listen on.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "spawn_program.h"
#include "station_process.h"

namespace testing_support {

// How many times the part stands in the text, overlaps counted.
inline size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// A port nobody listens on now, on the loopback address.
inline int freeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

class ClientProcess {
  public:
    // Starts the client with these arguments; its files live in folder.
    ClientProcess(const std::filesystem::path& folder, const std::string& name,
                  std::vector<std::string> arguments)
        : out_(folder / (name + ".out")), err_(folder / (name + ".err")) {
        arguments.insert(arguments.begin(), REMOTE_CLIENT_BINARY);
        pid_ = spawnProgram(arguments, SpawnActions().writeTo(1, out_).writeTo(2, err_));
    }
    ~ClientProcess() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    ClientProcess(const ClientProcess&) = delete;
    ClientProcess& operator=(const ClientProcess&) = delete;

    // The exit status, or -1 when the client had not ended within the limit.
    int wait(std::chrono::seconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) != pid_) {
            if (std::chrono::steady_clock::now() > deadline) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    [[nodiscard]] std::string out() const { return readAll(out_); }
    [[nodiscard]] std::string err() const { return readAll(err_); }

  private:
    std::filesystem::path out_, err_;
    pid_t pid_ = -1;
};

}  // namespace testing_support
