#include <cstdio>
#include <cstdlib>

#include "platform/shell.h"

namespace platform {

int LinuxShell::run(const std::string& command) { return std::system(command.c_str()); }

std::optional<std::string> LinuxShell::capture(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return std::nullopt;
    std::string output;
    char buffer[256];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
    if (pclose(pipe) != 0) return std::nullopt;
    return output;
}

}  // namespace platform
